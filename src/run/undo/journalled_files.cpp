#include "run/undo/journalled_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <set>
#include <tuple>

#include "combo/step_description.h"
#include "io/content_hash.h"
#include "io/streams.h"
#include "run/run_context.h"

namespace kadrel {

namespace {

// The index's room is reserved on the disk a MiB at a time, with enough kept
// free beyond the lines to name the files replaced after a failure, and the
// last line that counts those it could not name.
constexpr uint64_t kReserveStep = uint64_t{1} << 20;
constexpr uint64_t kGapRoom = uint64_t{64} << 10;
constexpr uint64_t kLastLineRoom = 64;

// A path with every link resolved; empty when it cannot be.
std::string RealPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return {};
  std::string resolved = real;
  std::free(real);
  return resolved;
}

std::string AsFolder(std::string path) {
  return path.empty() || path.ends_with('/') ? path : path + "/";
}

// Hashes what goes through it.
class HashingOutput : public OutputFile {
 public:
  HashingOutput(std::unique_ptr<OutputFile> inner, ContentHash& hash)
      : inner_(std::move(inner)), hash_(hash) {}
  bool write(const char* data, size_t n) override {
    if (!inner_->write(data, n)) return false;
    hash_.add({data, n});
    return true;
  }
  bool close() override { return inner_->close(); }
  FileStatus lastError() const override { return inner_->lastError(); }

 private:
  std::unique_ptr<OutputFile> inner_;
  ContentHash& hash_;
};

// A target's replacement: what is written to it is hashed, and once it is
// complete the target's content is kept in the journal, before it takes a name.
class JournalledReplacement : public NewFile {
 public:
  JournalledReplacement(std::unique_ptr<NewFile> inner, TargetFile& target, JournalWriter& journal)
      : inner_(std::move(inner)), target_(target), journal_(journal) {}
  std::unique_ptr<OutputFile> output() override {
    return std::make_unique<HashingOutput>(inner_->output(), hash_);
  }
  Opened<InputFile> read() override { return inner_->read(); }
  uint64_t size() const override { return inner_->size(); }
  FileStatus truncate(uint64_t size) override {
    hashWhole_ = false;  // hashed from the file when it is kept
    return inner_->truncate(size);
  }
  void narrowTo(const FileAttributes& source) override { inner_->narrowTo(source); }
  void keepTimes(const FileAttributes& times) override { inner_->keepTimes(times); }
  FileStatus complete() override {
    keepPrevious();
    journal_.sync();
    return inner_->complete();
  }
  // A worker completes the file alone: the journal records at the file's turn.
  FileStatus completeAhead() override { return inner_->complete(); }
  bool isComplete() const override { return inner_->isComplete(); }
  FileStatus commit() override {
    keepPrevious();
    return inner_->commit();
  }
  FileId id() const override { return inner_->id(); }
  NewFile& inner() { return *inner_; }

  // Keeps the target's content in the journal, once.
  void keepPrevious() {
    if (kept_) return;
    kept_ = true;
    ContentHash written;
    if (hashWhole_ && hash_.size() == inner_->size()) {
      written = hash_;
    } else if (!HashAll(inner_->read(), written)) {
      return;  // unreadable: this file is not journalled
    }
    journal_.keep(target_, inner_->id(), written.size(), written.value());
  }

 private:
  std::unique_ptr<NewFile> inner_;
  TargetFile& target_;
  JournalWriter& journal_;
  ContentHash hash_;
  bool hashWhole_ = true;
  bool kept_ = false;
};

}  // namespace

JournalWriter::JournalWriter(FileLayer& files, std::string folder, Host& host, Mode mode,
                             uint64_t copyLimit)
    : files_(files),
      folderPath_(std::move(folder)),
      host_(host),
      mode_(mode),
      copyLimit_(copyLimit) {}

JournalWriter::~JournalWriter() {
  finish();
  if (index_ >= 0) ::close(index_);
}

int JournalWriter::writeIndex(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t w = ::write(fd, text.data(), text.size());
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    text.remove_prefix(static_cast<size_t>(w));
  }
  return 0;
}

int JournalWriter::syncIndex(int fd) {
  return ::fdatasync(fd) == 0 ? 0 : errno;
}

int JournalWriter::reserveIndex(int fd, uint64_t length) {
  // The size stays: the index holds whole lines only, the rest is room.
  return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(length)) == 0 ? 0 : errno;
}

void JournalWriter::problem(const std::string& text, int error) {
  MessageBoxRequest box;
  box.text = text + "\r[ " + folderPath_ + " ]";
  if (error != 0) box.text += "\r" + ErrorText(error);
  problems_.push_back(box.text);
  host_.showMessage(box);
}

bool JournalWriter::begin() {
  if (state_ != State::Idle) return state_ == State::Recording || state_ == State::Gap;
  state_ = State::Off;
  FileStatus status;
  if (mode_ == Mode::Off) {
    // The journal of an earlier run would take back a run that is not the last.
    JournalFolder earlier;
    if (earlier.open(folderPath_, JournalFolder::Access::Use, status)) earlier.clear();
    return false;
  }
  if (!folder_.open(folderPath_, JournalFolder::Access::Create, status)) {
    if (status.code == kErrLocked) {
      notice_ = "ほかの Kadrel が元に戻す用の控えを使っているため、この処理は元に戻せません。";
    } else if (status.code == kErrJournalNotPrivate) {
      problems_.push_back(status.text + "\rこの処理は元に戻せません。");
      MessageBoxRequest box;
      box.text = problems_.back();
      host_.showMessage(box);
    } else {
      problem("元に戻す用の控えを作れないため、この処理は元に戻せません。", status.code);
    }
    return false;
  }
  folder_.clear();
  index_ = ::openat(folder_.fd(), kUndoIndexName,
                    O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (index_ < 0) {
    problem("元に戻す用の控えを作れないため、この処理は元に戻せません。", errno);
    return false;
  }
  state_ = State::Recording;
  // The header is on the disk first: a later failure then has a journal to
  // mark as incomplete.
  int error = append(JournalHeader(std::time(nullptr), description_, drop_), kGapRoom);
  if (error == 0) error = syncIndex(index_);
  if (error == 0 && ::fsync(folder_.fd()) != 0) error = errno;
  if (error != 0) {
    drop(error);
    return false;
  }
  synced_ = size_;
  return true;
}

int JournalWriter::append(std::string_view text, uint64_t free) {
  // The line and the room kept free beyond it must be on the disk already.
  const uint64_t needed = size_ + text.size() + free;
  if (reserving_ && needed > reserved_) {
    const uint64_t length = (needed / kReserveStep + 1) * kReserveStep;
    const int error = reserveIndex(index_, length);
    if (error == EOPNOTSUPP || error == ENOSYS) {
      reserving_ = false;  // the writes themselves tell of a full disk then
    } else if (error != 0) {
      return error;
    } else {
      reserved_ = length;
    }
  }
  if (const int error = writeIndex(index_, text); error != 0) {
    // No part line stays: the lines after it would not read.
    if (::ftruncate(index_, static_cast<off_t>(size_)) != 0) return errno;
    return error;
  }
  size_ += text.size();
  return 0;
}

Kept JournalWriter::keepContent(TargetFile& target, uint64_t number) {
  const FileId id = target.id();
  // A link when the journal is on the target's file system (the file layer
  // copies a file whose link would carry a privilege); else a copy, if it fits.
  const bool mayLink = id.device == folder_.device() && (target.attributes().mode & 07000) == 0;
  if (!mayLink && copied_ + target.attributes().size > copyLimit_) return Kept::None;
  if (!files_.keepCopy(target, {folder_.fileName(number), 0}).ok()) return Kept::None;
  struct stat kept;
  if (::fstatat(folder_.fd(), std::to_string(number).c_str(), &kept, AT_SYMLINK_NOFOLLOW) != 0)
    return Kept::None;
  if (kept.st_dev == id.device && kept.st_ino == id.inode) return Kept::Link;
  copied_ += static_cast<uint64_t>(kept.st_size);
  return Kept::Copy;
}

void JournalWriter::keep(TargetFile& target, FileId written, uint64_t writtenSize,
                         uint64_t writtenHash) {
  if (!begin()) return;
  JournalEntry entry;
  entry.number = next_++;
  entry.previous = target.id();
  entry.writtenSize = writtenSize;
  entry.writtenHash = writtenHash;
  entry.written = written;
  entry.path = AsFolder(target.realFolder()) + target.name();
  // A dropped folder renamed during the run leaves the folders the index names:
  // the file goes by the name it was listed by then, which the undo finds once
  // the folder is back (never by a name the undo would refuse as outside them).
  if (!InDrop(drop_, entry.path)) {
    std::string listed = AsFolder(target.folder()) + target.name();
    if (InDrop(drop_, listed)) entry.path = std::move(listed);
  }
  if (state_ == State::Recording) {
    entry.kept = keepContent(target, entry.number);
    KeptState kept;
    if (entry.kept != Kept::None && KeptFileState(folder_, entry.number, kept)) {
      entry.keptSize = kept.size;
      entry.keptModified = kept.modified;
      entry.keptLinks = kept.links;
    } else {
      entry.kept = Kept::None;
    }
    // Written before the replacement takes the name: a run killed right after
    // is taken back too.
    const int error = append(JournalLine(entry), kGapRoom);
    if (error == 0) {
      unsynced_.push_back(std::move(entry));
      return;
    }
    endRecording(error);
  }
  if (state_ == State::Gap) name(std::move(entry));
}

void JournalWriter::name(JournalEntry entry) {
  entry.kept = Kept::None;
  entry.keptSize = 0;
  entry.keptModified = 0;
  entry.keptLinks = 0;
  if (append(JournalLine(entry), kLastLineRoom) == 0) {
    unsynced_.push_back(std::move(entry));
  } else {
    ++unnamed_;
  }
}

void JournalWriter::endRecording(int error) {
  state_ = State::Gap;
  if (append(JournalGapLine(), kLastLineRoom) != 0) return drop(error);
  problem(
      "元に戻す用の控えを書き込めなくなりました。この後で書き換えるファイルは元に戻せません"
      "（「元に戻す」でその名前を表示します）。",
      error);
}

void JournalWriter::drop(int error) {
  folder_.clear();
  if (index_ >= 0) ::close(index_);
  index_ = -1;
  state_ = State::Off;
  unsynced_.clear();
  problem("元に戻す用の控えを保存できなかったため、この処理は元に戻せません。", error);
}

void JournalWriter::sync() {
  if (index_ < 0 || size_ == synced_) return;
  int error = syncIndex(index_);
  // The folder holds the index and the kept files under their names.
  if (error == 0 && ::fsync(folder_.fd()) != 0) error = errno;
  if (error == 0) {
    synced_ = size_;
    gapSynced_ = state_ == State::Gap;
    unsynced_.clear();
    return;
  }
  // The lines since the last sync may never reach the disk: they go, and the
  // files they named are named again after the gap.
  if (::ftruncate(index_, static_cast<off_t>(synced_)) != 0) return drop(error);
  size_ = synced_;
  std::vector<JournalEntry> lost = std::move(unsynced_);
  unsynced_.clear();
  if (!gapSynced_) {
    const bool told = state_ == State::Gap;
    state_ = State::Gap;
    if (append(JournalGapLine(), kLastLineRoom) != 0) return drop(error);
    if (!told) {
      problem(
          "元に戻す用の控えを書き込めなくなりました。この後で書き換えるファイルは元に戻せません"
          "（「元に戻す」でその名前を表示します）。",
          error);
    }
  }
  for (JournalEntry& entry : lost) name(std::move(entry));
  if (syncIndex(index_) != 0) return drop(error);
  synced_ = size_;
  gapSynced_ = true;
  unsynced_.clear();
}

void JournalWriter::finish() {
  if (finished_) return;
  finished_ = true;
  if (index_ < 0) return;
  if (state_ == State::Gap && unnamed_ > 0) std::ignore = append(JournalUnnamedLine(unnamed_), 0);
  sync();
}

void JournalWriter::addTo(RunReport& report) const {
  report.runProblems.insert(report.runProblems.end(), problems_.begin(), problems_.end());
}

std::string JournalDescription(const RunContext& ctx, std::string_view comboText) {
  if (!ctx.ComboRun) return DescribeStep(ctx.StepArr);
  std::string text = "連続実行（COMBO!!） " + std::to_string(ctx.steps.size()) + " 処理";
  while (!comboText.empty()) {
    const size_t end = std::min(comboText.find_first_of("\r\n"), comboText.size());
    if (end > 0) text.append("\n").append(comboText.substr(0, end));
    comboText.remove_prefix(std::min(end + 1, comboText.size()));
  }
  return text;
}

std::vector<std::string> DropFoldersOf(const RunContext& ctx) {
  std::vector<std::string> folders;
  std::set<std::string> seen;
  std::set<const DroppedFolder*> pins;
  for (size_t i = 0; i < ctx.targets.size(); ++i) {
    const DropPath name = ctx.targetName(i);
    std::string folder;
    if (name.dropped) {
      if (!pins.insert(name.dropped.get()).second) continue;  // its files share it
      folder = RealPath("/proc/self/fd/" + std::to_string(name.dropped->fd()));
    } else if (name.scanRoot > 0) {
      folder = RealPath(name.path.substr(0, name.scanRoot));
    } else {
      // A named file's folder: the linked file's, where its name is a link.
      std::string file = RealPath(name.path);
      if (file.empty()) file = RealPath(name.path.substr(0, name.path.rfind('/') + 1)) + "/";
      folder = file.substr(0, file.rfind('/') + 1);
    }
    folder = AsFolder(folder);
    if (folder.size() > 1 && seen.insert(folder).second) folders.push_back(std::move(folder));
  }
  return folders;
}

Opened<NewFile> JournalledFiles::createReplacement(TargetFile& target) {
  Opened<NewFile> created = real_.createReplacement(target);
  if (created)
    created.file =
        std::make_unique<JournalledReplacement>(std::move(created.file), target, journal_);
  return created;
}

std::vector<FileStatus> JournalledFiles::completeAll(const std::vector<NewFile*>& files) {
  // Every file's previous content is kept, and the index lines that say so are
  // on the disk, before any of them takes its name.
  std::vector<NewFile*> inner;
  inner.reserve(files.size());
  for (NewFile* file : files) {
    auto* journalled = dynamic_cast<JournalledReplacement*>(file);
    if (journalled != nullptr) journalled->keepPrevious();
    inner.push_back(journalled != nullptr ? &journalled->inner() : file);
  }
  journal_.sync();
  return real_.completeAll(inner);
}

}  // namespace kadrel
