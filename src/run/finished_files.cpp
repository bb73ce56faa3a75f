#include "run/finished_files.h"

#include <tuple>

#include "core/file_routines.h"
#include "core/run_context.h"

namespace kadrel {

namespace {
// How much gathers before a commit: enough files for their syncs to overlap,
// not so much that a cancel waits long for the syncs or a kill loses much.
constexpr size_t kFilesAtOnce = 32;
constexpr uint64_t kBytesAtOnce = uint64_t{16} << 20;
}  // namespace

void FinishedFiles::addReplacement(std::unique_ptr<TargetFile> target,
                                   std::unique_ptr<NewFile> replacement, std::string listedPath,
                                   std::optional<DropPath> backup) {
  bytes_ += replacement->size();
  entries_.push_back(
      {std::move(target), std::move(replacement), std::move(listedPath), std::move(backup)});
}

void FinishedFiles::addResult(std::unique_ptr<NewFile> result, std::string path) {
  bytes_ += result->size();
  entries_.push_back({nullptr, std::move(result), std::move(path), std::nullopt});
}

void FinishedFiles::commitIfMany() {
  if (entries_.size() >= kFilesAtOnce || bytes_ >= kBytesAtOnce) commitAll();
}

void FinishedFiles::commitAll() {
  std::vector<Entry> entries = std::move(entries_);
  entries_.clear();
  bytes_ = 0;
  std::vector<NewFile*> files;
  files.reserve(entries.size());
  for (const Entry& e : entries) files.push_back(e.file.get());
  const std::vector<FileStatus> completed = ctx_.files.completeAll(files);
  for (size_t i = 0; i < entries.size(); ++i) {
    Entry& e = entries[i];
    if (!completed[i].ok()) {
      ShowWriteFailure(ctx_, completed[i], e.path);
    } else if (e.target) {
      std::ignore = CommitReplacement(ctx_, *e.target, *e.file, e.path, e.backup);
    } else {
      std::ignore = CommitResult(ctx_, *e.file, e.path);
    }
  }
}

}  // namespace kadrel
