#include "run/undo/undo_run.h"

#include <fcntl.h>

#include <cerrno>
#include <ctime>
#include <memory>
#include <set>

#include "io/content_hash.h"
#include "io/streams.h"
#include "run/undo/journal_folder.h"
#include "run/undo/journalled_files.h"

namespace kadrel {

namespace {

constexpr size_t kNamesShown = 20;  // per list in the outcome box

struct Content {
  uint64_t size = 0;
  uint64_t hash = 0;
};

bool Measure(Opened<InputFile> in, Content& content) {
  ContentHash hash;
  if (!HashAll(std::move(in), hash)) return false;
  content = {hash.size(), hash.value()};
  return true;
}

// Copies in to out; false on a failure (status tells which).
bool CopyInto(Opened<InputFile> in, NewFile& out, FileStatus& status) {
  if (!in) {
    status = in.status;
    return false;
  }
  const std::unique_ptr<OutputFile> writer = out.output();
  switch (CopyAll(*in.file, *writer)) {
    case CopyResult::Copied:
      return true;
    case CopyResult::ReadFailed:
      status = in.file->lastError();
      return false;
    case CopyResult::WriteFailed:
      status = writer->lastError();
      return false;
  }
  return false;
}

std::string RunTimeText(int64_t runTime) {
  const std::time_t t = static_cast<std::time_t>(runTime);
  std::tm local{};
  char text[32];
  if (::localtime_r(&t, &local) == nullptr ||
      std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local) == 0)
    return "?";
  return text;
}

void ListNames(std::string& text, const std::vector<std::string>& paths) {
  for (size_t i = 0; i < paths.size() && i < kNamesShown; ++i) text += "\r[ " + paths[i] + " ]";
  if (paths.size() > kNamesShown)
    text += "\rほか " + std::to_string(paths.size() - kNamesShown) + " 個";
}

constexpr size_t kDescriptionLinesShown = 6;  // of a COMBO!! run's steps
constexpr size_t kFoldersShown = 3;

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

// The folders of the files the index names, in the order first met.
// The folders the user gave the run (as dropped) that hold a file it replaced,
// in the order met; for a journal that does not name them, the files' own.
std::vector<std::string> FoldersOf(const JournalIndex& index) {
  std::vector<std::string> folders;
  std::set<std::string> seen;
  for (const JournalEntry& e : index.entries) {
    std::string folder = e.path.substr(0, e.path.rfind('/') + 1);
    for (const std::string& dropped : index.dropFolders) {
      if (InDrop({dropped}, e.path)) {
        folder = dropped;
        break;
      }
    }
    if (seen.insert(folder).second) folders.push_back(std::move(folder));
  }
  return folders;
}

// "\r<caption>: first" and the next ones below it, at most shown of them, then
// how many more.
void AddListed(std::string& text, const std::string& caption, const std::vector<std::string>& items,
               size_t shown, const std::string& unit) {
  if (items.empty()) return;
  text += "\r" + caption + ": ";
  for (size_t i = 0; i < items.size() && i < shown; ++i) text += (i > 0 ? "\r　　" : "") + items[i];
  if (items.size() > shown)
    text += "\r　　ほか " + std::to_string(items.size() - shown) + " " + unit;
}

enum class Step { Restored, AsBefore, ChangedSince, NotKept, Failed };

// The file at the entry's name still holds what the run wrote there.
bool HoldsWhatWasWritten(TargetFile& target, const JournalEntry& e, const Content& now) {
  if (e.written != FileId{} && target.id() != e.written) return false;
  return now.size == e.writtenSize && now.hash == e.writtenHash;
}

// Replaces the target by a copy of the kept file, with the kept file's times.
Step CopyBack(FileLayer& files, const JournalFolder& folder, const JournalEntry& e,
              TargetFile& target, const KeptState& kept, FileStatus& status) {
  Opened<NewFile> replacement = files.createReplacement(target);
  if (!replacement) {
    status = replacement.status;
    return Step::Failed;
  }
  replacement.file->keepTimes(kept.times);
  const int fd = ::openat(folder.fd(), std::to_string(e.number).c_str(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  Opened<InputFile> in{fd < 0 ? nullptr : InputFromDescriptor(fd),
                       fd < 0 ? StatusFromErrno(errno) : FileStatus{}};
  if (!CopyInto(std::move(in), *replacement.file, status)) return Step::Failed;
  if (status = replacement.file->complete(); !status.ok()) return Step::Failed;
  if (status = replacement.file->commit(); !status.ok()) return Step::Failed;
  return Step::Restored;
}

// Gives one file its previous content back.
Step UndoEntry(FileLayer& files, const JournalFolder& folder, const JournalIndex& index,
               const JournalEntry& e, FileStatus& status) {
  if (!InDrop(index, e.path)) {
    status = {EACCES, "処理したフォルダーの外を指しているため、戻しません。"};
    return Step::Failed;
  }
  // "/" is the scan root: no link anywhere in the path is followed.
  Opened<TargetFile> target = files.openTarget({e.path, 1}, true, {});
  if (!target) {
    status = target.status;
    return Step::Failed;
  }
  // The run was killed before this file took its new content, or an undo gave
  // the file itself back.
  if (target.file->id() == e.previous) return Step::AsBefore;
  Content now;
  if (!Measure(target.file->read(), now)) {
    status = StatusFromErrno(EIO);  // a read error of the file
    return Step::Failed;
  }
  const bool written = HoldsWhatWasWritten(*target.file, e, now);
  if (e.kept == Kept::None) return written ? Step::NotKept : Step::ChangedSince;
  KeptState kept;
  const bool keptIntact = KeptFileState(folder, e.number, kept) && kept.size == e.keptSize &&
                          kept.modified == e.keptModified &&
                          (e.kept != Kept::Link || kept.id == e.previous);
  if (!written) {
    // Given back by an undo that was stopped before it removed the journal?
    Content before;
    if (keptIntact && now.size == kept.size &&
        Measure(files.openRead(folder.fileName(e.number)), before) && before.hash == now.hash)
      return Step::AsBefore;
    return Step::ChangedSince;
  }
  if (!keptIntact) {
    status = {kErrReplacedMeanwhile, "保存しておいた以前の内容が変更されています。"};
    return Step::Failed;
  }
  // A kept link goes back whole: the very file, its times and other names with
  // it, unless the run gave it a name of its own since (a backup by a hard link).
  const bool sharedWithBackup = e.keptLinks > 0 && kept.links >= e.keptLinks;
  if (e.kept == Kept::Link && !sharedWithBackup) {
    status = files.restoreKept(*target.file, folder.fileName(e.number));
    if (status.ok()) return Step::Restored;
    if (status.code != EXDEV) return Step::Failed;
    status = {};
  }
  return CopyBack(files, folder, e, *target.file, kept, status);
}

}  // namespace

std::string UndoQuestion(const JournalIndex& index) {
  size_t kept = 0;
  for (const JournalEntry& e : index.entries) kept += e.kept != Kept::None ? 1 : 0;
  std::string text = RunTimeText(index.runTime) + " の処理で書き換えた " + std::to_string(kept) +
                     " 個のファイルを処理前の内容に戻します。";
  AddListed(text, "処理", Lines(index.description), kDescriptionLinesShown, "処理");
  AddListed(text, "フォルダ", FoldersOf(index), kFoldersShown, "フォルダ");
  text += "\r処理の後で変更されたファイルはそのままにします。";
  const uint64_t notKept = index.entries.size() - kept + index.unnamed;
  if (index.gap) {
    text += "\r元に戻す用の控えは処理の途中で書き込めなくなっているため、その後で書き換えた " +
            std::to_string(notKept) + " 個のファイルは元に戻せません。";
  } else if (notKept > 0) {
    text += "\r" + std::to_string(notKept) +
            " 個のファイルは以前の内容を保存していない（別のディスクにあり、控えのコピーが上限の " +
            std::to_string(kJournalCopyLimit >> 30) + " GiB を超えるなど）ため、元に戻せません。";
  }
  return text + "\rよろしいですか？";
}

UndoOutcome UndoLastRun(FileLayer& files, const std::string& path, const std::atomic<bool>& cancel,
                        FileStatus& journalStatus) {
  UndoOutcome outcome;
  JournalFolder folder;
  if (!folder.open(path, JournalFolder::Access::Use, journalStatus)) return outcome;
  const std::optional<JournalIndex> index = folder.readIndex();
  if (!index) {
    journalStatus = StatusFromErrno(ENOENT);
    return outcome;
  }
  outcome.incomplete = index->gap;
  outcome.unnamed = index->unnamed;
  std::set<std::string> cleaned;
  for (const JournalEntry& e : index->entries) {
    // What a killed run or undo left in the folder goes first, as a run does.
    const std::string fileFolder = e.path.substr(0, e.path.rfind('/') + 1);
    if (cleaned.insert(fileFolder).second) files.removeLeftovers({fileFolder, 1});
    if (cancel.load()) {
      outcome.cancelled = true;
      break;
    }
    FileStatus status;
    switch (UndoEntry(files, folder, *index, e, status)) {
      case Step::Restored:
        ++outcome.restored;
        break;
      case Step::AsBefore:
        ++outcome.asBefore;
        break;
      case Step::ChangedSince:
        outcome.changedSince.push_back(e.path);
        break;
      case Step::NotKept:
        outcome.notKept.push_back(e.path);
        break;
      case Step::Failed:
        outcome.failed.emplace_back(e.path, status.text);
        break;
    }
  }
  // A file that failed (locked by a run, a full disk) may be taken back later.
  if (outcome.failed.empty() && !outcome.cancelled) folder.clear();
  // The names given back are on the disk before the undo reports them.
  for (const auto& [where, status] : files.syncFolders())
    outcome.failed.emplace_back(where, status.text);
  return outcome;
}

MessageBoxRequest UndoRefusalBox(const FileStatus& journalStatus) {
  MessageBoxRequest box;
  if (journalStatus.code == ENOENT) {
    box.text = kNothingToUndoText;
  } else if (journalStatus.code == kErrLocked) {
    box.text =
        "ほかの Kadrel が処理中のため、元に戻せません。処理が終わってからもう一度選んでください。";
  } else {
    box.text = "元に戻せません。\r" + journalStatus.text;
  }
  return box;
}

MessageBoxRequest UndoOutcomeBox(const UndoOutcome& outcome) {
  MessageBoxRequest box;
  box.icon = BoxIcon::Information;
  box.text = std::to_string(outcome.restored + outcome.asBefore) +
             " 個のファイルを処理前の内容に戻しました。";
  if (outcome.cancelled)
    box.text += "\r中断しました。残りのファイルはもう一度「元に戻す」で戻せます。";
  if (!outcome.changedSince.empty()) {
    box.icon = BoxIcon::Exclamation;
    box.text += "\r\r処理の後で変更されているため、次のファイルはそのままにしました。";
    ListNames(box.text, outcome.changedSince);
  }
  if (!outcome.notKept.empty()) {
    box.icon = BoxIcon::Exclamation;
    box.text += "\r\r以前の内容を保存していないため、次のファイルは元に戻せません。";
    ListNames(box.text, outcome.notKept);
  }
  if (outcome.incomplete) {
    box.icon = BoxIcon::Exclamation;
    box.text +=
        "\r\r元に戻す用の控えは処理の途中で書き込めなくなっていたため、すべては元に戻せません。";
    if (outcome.unnamed > 0) {
      box.text += "\rほかに名前を記録できなかった " + std::to_string(outcome.unnamed) +
                  " 個のファイルも元に戻せません。";
    }
  }
  if (!outcome.failed.empty()) {
    box.icon = BoxIcon::Exclamation;
    box.text +=
        "\r\r次のファイルは元に戻せませんでした。原因を取り除いてから、もう一度「元に戻す」を選ぶと"
        "戻せます。";
    for (size_t i = 0; i < outcome.failed.size() && i < kNamesShown; ++i)
      box.text += "\r[ " + outcome.failed[i].first + " ] " + outcome.failed[i].second;
    if (outcome.failed.size() > kNamesShown)
      box.text += "\rほか " + std::to_string(outcome.failed.size() - kNamesShown) + " 個";
  }
  return box;
}

}  // namespace kadrel
