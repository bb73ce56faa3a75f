#include "run/undo/journalled_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "combo/step_description.h"
#include "io/content_hash.h"
#include "io/streams.h"

namespace kadrel {

namespace {

// The folder's path with every link resolved, so that the journal names the
// file itself and an undo follows no link.
std::string RealFolder(const std::string& folder) {
  char* real = ::realpath(folder.c_str(), nullptr);
  if (real == nullptr) return folder;
  std::string path = real;
  std::free(real);
  return path.ends_with('/') ? path : path + "/";
}

bool WriteAll(int fd, const std::string& text) {
  const char* data = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t w = ::write(fd, data, left);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += w;
    left -= static_cast<size_t>(w);
  }
  return true;
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

// A target's replacement: what is written to it is hashed, and its commit keeps
// the target's content in the journal first.
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
    hashWhole_ = false;  // hashed from the file at the commit
    return inner_->truncate(size);
  }
  void narrowTo(const FileAttributes& source) override { inner_->narrowTo(source); }
  FileStatus complete() override { return inner_->complete(); }
  FileStatus commit() override {
    ContentHash written;
    if (hashWhole_ && hash_.size() == inner_->size()) {
      written = hash_;
    } else if (!HashAll(inner_->read(), written)) {
      return inner_->commit();  // unreadable: this file is not journalled
    }
    journal_.keep(target_, written.size(), written.value());
    return inner_->commit();
  }
  FileId id() const override { return inner_->id(); }
  NewFile& inner() { return *inner_; }

 private:
  std::unique_ptr<NewFile> inner_;
  TargetFile& target_;
  JournalWriter& journal_;
  ContentHash hash_;
  bool hashWhole_ = true;
};

}  // namespace

JournalWriter::~JournalWriter() {
  if (index_ >= 0) {
    sync();
    ::close(index_);
  }
}

bool JournalWriter::begin() {
  if (begun_) return !failed_;
  begun_ = true;
  FileStatus status;
  if (!folder_.open(folderPath_, true, status)) {
    failed_ = true;
    return false;
  }
  folder_.clear();
  index_ = ::openat(folder_.fd(), kUndoIndexName,
                    O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
  failed_ = index_ < 0 || !WriteAll(index_, JournalHeader(std::time(nullptr), description_));
  return !failed_;
}

Kept JournalWriter::keepContent(TargetFile& target, const std::string& path, uint64_t number) {
  const FileId id = target.id();
  // A link when the journal is on the target's file system (the file layer
  // copies a file whose link would carry a privilege); else a copy, if it fits.
  const bool mayLink = id.device == folder_.device() && (target.attributes().mode & 07000) == 0;
  struct stat st;
  if (!mayLink &&
      (::stat(path.c_str(), &st) != 0 || copied_ + static_cast<uint64_t>(st.st_size) > copyLimit_))
    return Kept::None;
  if (!files_.keepCopy(target, {folder_.fileName(number), 0}).ok()) return Kept::None;
  struct stat kept;
  if (::fstatat(folder_.fd(), std::to_string(number).c_str(), &kept, AT_SYMLINK_NOFOLLOW) != 0)
    return Kept::None;
  if (kept.st_dev == id.device && kept.st_ino == id.inode) return Kept::Link;
  copied_ += static_cast<uint64_t>(kept.st_size);
  return Kept::Copy;
}

void JournalWriter::keep(TargetFile& target, uint64_t writtenSize, uint64_t writtenHash) {
  if (!begin()) return;
  JournalEntry entry;
  entry.number = next_++;
  entry.previous = target.id();
  entry.writtenSize = writtenSize;
  entry.writtenHash = writtenHash;
  entry.path = RealFolder(target.folder()) + target.name();
  entry.kept = keepContent(target, entry.path, entry.number);
  if (entry.kept != Kept::None &&
      !KeptFileState(folder_, entry.number, entry.keptSize, entry.keptModified))
    entry.kept = Kept::None;
  // Written before the replacement takes the name: a run killed right after is
  // taken back too.
  if (!WriteAll(index_, JournalLine(entry))) failed_ = true;
}

void JournalWriter::sync() {
  if (index_ >= 0) ::fdatasync(index_);
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

Opened<NewFile> JournalledFiles::createReplacement(TargetFile& target) {
  Opened<NewFile> created = real_.createReplacement(target);
  if (created)
    created.file =
        std::make_unique<JournalledReplacement>(std::move(created.file), target, journal_);
  return created;
}

std::vector<FileStatus> JournalledFiles::completeAll(const std::vector<NewFile*>& files) {
  // The index lines of the files committed before are put on the disk with
  // these files' data.
  journal_.sync();
  std::vector<NewFile*> inner;
  inner.reserve(files.size());
  for (NewFile* file : files) {
    auto* journalled = dynamic_cast<JournalledReplacement*>(file);
    inner.push_back(journalled != nullptr ? &journalled->inner() : file);
  }
  return real_.completeAll(inner);
}

}  // namespace kadrel
