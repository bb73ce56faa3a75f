#include "run/finished_files.h"

#include "run/file_routines.h"
#include "run/target_job.h"

namespace kadrel {

namespace {
// How much gathers before a commit: enough files for their syncs to overlap,
// not so much that a cancel waits long for the syncs or a kill loses much.
constexpr size_t kFilesAtOnce = 32;
constexpr uint64_t kBytesAtOnce = uint64_t{16} << 20;
// Folders whose renames wait for the end of the run before they are synced.
constexpr size_t kFoldersAtOnce = 64;
}  // namespace

void FinishedFiles::addReplacement(size_t index, std::unique_ptr<TargetFile> target,
                                   std::unique_ptr<NewFile> replacement,
                                   std::optional<DropPath> backup) {
  std::string path = run_.ctx.targets.at(index);
  add({{index}, std::move(target), std::move(replacement), std::move(path), std::move(backup)});
}

void FinishedFiles::addResult(std::vector<size_t> indexes, std::unique_ptr<NewFile> result,
                              std::string path) {
  add({std::move(indexes), nullptr, std::move(result), std::move(path), std::nullopt});
}

void FinishedFiles::add(Entry entry) {
  bytes_ += entry.file->size();
  entries_.push_back(std::move(entry));
}

void FinishedFiles::commitIfMany() {
  if (entries_.size() < kFilesAtOnce && bytes_ < kBytesAtOnce) return;
  commitBatch();
  syncFolders(kFoldersAtOnce);
}

void FinishedFiles::commitAll() {
  commitBatch();
  // The new names are on the disk before the run reports them.
  syncFolders(0);
}

void FinishedFiles::syncFolders(size_t atLeast) {
  for (const auto& [folder, status] : run_.files().syncFolders(atLeast))
    ShowWriteFailure(run_.host, status, folder);
}

void FinishedFiles::settle(const Entry& entry, TargetOutcome outcome) {
  for (size_t index : entry.indexes) run_.report.targets.at(index).outcome = outcome;
}

void FinishedFiles::commitBatch() {
  std::vector<Entry> entries = std::move(entries_);
  entries_.clear();
  bytes_ = 0;
  // Completed together, so that their syncs overlap; a file a worker completed
  // ahead is only finished here (its journal record).
  std::vector<NewFile*> files;
  files.reserve(entries.size());
  for (const Entry& e : entries) files.push_back(e.file.get());
  const std::vector<FileStatus> statuses = run_.files().completeAll(files);
  for (size_t i = 0; i < entries.size(); ++i) {
    Entry& e = entries[i];
    const FileStatus& completed = statuses.at(i);
    // A box now is told of the first list entry the file settles.
    if (e.indexes.empty()) {
      run_.host.clearTarget();
    } else {
      run_.host.setTarget(e.indexes.front());
    }
    bool committed = false;
    if (!completed.ok()) {
      ShowWriteFailure(run_.host, completed, e.path);
    } else if (e.target) {
      committed = CommitReplacement(run_, *e.target, *e.file, e.path, e.backup);
    } else {
      committed = CommitResult(run_, *e.file, e.path);
    }
    settle(e, committed ? (e.target ? TargetOutcome::Replaced : TargetOutcome::Extracted)
                        : TargetOutcome::Failed);
  }
  run_.host.clearTarget();
}

void HeldFinished::addReplacement(size_t index, std::unique_ptr<TargetFile> target,
                                  std::unique_ptr<NewFile> replacement,
                                  std::optional<DropPath> backup) {
  held_.push_back(
      {{index}, std::move(target), std::move(replacement), listedPath_, std::move(backup)});
}

void HeldFinished::addResult(std::vector<size_t> indexes, std::unique_ptr<NewFile> result,
                             std::string path) {
  held_.push_back({std::move(indexes), nullptr, std::move(result), std::move(path), {}});
}

void HeldFinished::complete() {
  // A failure is told at the file's turn, when complete() returns it again.
  for (FinishedFiles::Entry& e : held_) std::ignore = e.file->completeAhead();
}

void HeldFinished::handTo(FinishedFiles& to) {
  std::vector<FinishedFiles::Entry> held = std::move(held_);
  held_.clear();
  for (FinishedFiles::Entry& e : held) to.add(std::move(e));
}

}  // namespace kadrel
