#include "support/fake_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <tuple>

namespace kadrel::test {

bool EndsWith(const std::string& s, const std::string& suffix) {
  return !suffix.empty() && s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

const char* OpName(Op op) {
  switch (op) {
    case Op::OpenRead:
      return "open-read";
    case Op::Read:
      return "read";
    case Op::OpenWrite:
      return "open-write";
    case Op::Write:
      return "write";
    case Op::Close:
      return "close";
    case Op::Copy:
      return "copy";
    case Op::Remove:
      return "remove";
  }
  return "?";
}

namespace {

// A file of the memory backing as it was when opened.
class MemoryInput : public InputFile {
 public:
  explicit MemoryInput(std::string bytes) : bytes_(std::move(bytes)) {}
  long read(char* buffer, size_t n) override {
    n = std::min(n, bytes_.size() - pos_);
    std::copy_n(bytes_.data() + pos_, n, buffer);
    pos_ += n;
    return static_cast<long>(n);
  }
  FileStatus lastError() const override { return {}; }

 private:
  std::string bytes_;
  size_t pos_ = 0;
};

class MemoryOutput : public OutputFile {
 public:
  MemoryOutput(std::map<std::string, std::string>& files, std::string path)
      : files_(files), path_(std::move(path)) {}
  bool write(const char* data, size_t n) override {
    files_[path_].append(data, n);
    return true;
  }
  bool close() override { return true; }
  FileStatus lastError() const override { return {}; }

 private:
  std::map<std::string, std::string>& files_;
  std::string path_;
};

// Reads in pieces, counts the bytes and fails after a number of them.
class ScriptedInput : public InputFile {
 public:
  ScriptedInput(std::unique_ptr<InputFile> inner, size_t piece, const Fault* fault,
                std::shared_ptr<long> counter, int* fired)
      : inner_(std::move(inner)),
        piece_(piece),
        left_(fault ? fault->bytes : -1),
        error_(fault ? fault->error : 0),
        counter_(std::move(counter)),
        fired_(fired) {}
  long read(char* buffer, size_t n) override {
    if (left_ == 0) {
      if (!failed_) ++*fired_;
      failed_ = true;
      return -1;
    }
    if (piece_ > 0) n = std::min(n, piece_);
    if (left_ > 0) n = std::min(n, static_cast<size_t>(left_));
    long r = inner_->read(buffer, n);
    if (r > 0) {
      *counter_ += r;
      if (left_ > 0) left_ -= r;
    }
    return r;
  }
  FileStatus lastError() const override {
    return failed_ ? StatusFromErrno(error_) : inner_->lastError();
  }

 private:
  std::unique_ptr<InputFile> inner_;
  size_t piece_;
  long left_;  // -1: no limit
  int error_;
  bool failed_ = false;
  std::shared_ptr<long> counter_;
  int* fired_;
};

// Counts the bytes written, fails a write after a number of them or the close.
class ScriptedOutput : public OutputFile {
 public:
  ScriptedOutput(std::unique_ptr<OutputFile> inner, const Fault* write, const Fault* close,
                 std::function<void(long)> keepFirst, std::shared_ptr<long> counter, int* fired)
      : inner_(std::move(inner)),
        left_(write ? write->bytes : -1),
        writeError_(write ? write->error : 0),
        close_(close ? std::optional<Fault>(*close) : std::nullopt),
        keepFirst_(std::move(keepFirst)),
        counter_(std::move(counter)),
        fired_(fired) {}
  bool write(const char* data, size_t n) override {
    if (error_ != 0) return false;
    if (left_ >= 0 && static_cast<long>(n) > left_) {
      // A partial write, as a full disk gives.
      std::ignore = inner_->write(data, static_cast<size_t>(left_));
      *counter_ += left_;
      left_ = 0;
      error_ = writeError_;
      ++*fired_;
      return false;
    }
    if (left_ >= 0) left_ -= static_cast<long>(n);
    *counter_ += static_cast<long>(n);
    return inner_->write(data, n);
  }
  bool close() override {
    if (closed_) return error_ == 0 && inner_->lastError().ok();
    closed_ = true;
    bool ok = inner_->close();
    if (close_ && error_ == 0) {
      keepFirst_(close_->bytes);  // the data still buffered is lost
      error_ = close_->error;
      ++*fired_;
    }
    return ok && error_ == 0;
  }
  FileStatus lastError() const override {
    return error_ != 0 ? StatusFromErrno(error_) : inner_->lastError();
  }

 private:
  std::unique_ptr<OutputFile> inner_;
  long left_;
  int writeError_;
  std::optional<Fault> close_;
  std::function<void(long)> keepFirst_;
  std::shared_ptr<long> counter_;
  int* fired_;
  int error_ = 0;
  bool closed_ = false;
};

}  // namespace

const Fault* FakeFiles::due(Op op, const std::string& path) {
  seen_.resize(faults.size(), 0);
  for (size_t i = 0; i < faults.size(); ++i) {
    const Fault& f = faults[i];
    if (f.op != op || !EndsWith(path, f.path)) continue;
    if (++seen_[i] == f.occurrence || f.occurrence == 0) return &f;
  }
  return nullptr;
}

void FakeFiles::note(Op op, const std::string& path, const std::string& source) {
  log.push_back({op, path, source, std::make_shared<long>(0)});
  if (before) before(op, path);
}

Opened<InputFile> FakeFiles::openBacking(const std::string& path) {
  if (backing_ == Backing::Disk) return SystemFileLayer().openRead(path);
  auto it = memory.find(path);
  if (it == memory.end()) return {nullptr, StatusFromErrno(ENOENT)};
  return {std::make_unique<MemoryInput>(it->second), {}};
}

Opened<OutputFile> FakeFiles::createBacking(const std::string& path, bool append) {
  if (backing_ == Backing::Disk) return SystemFileLayer().openWrite(path, append);
  std::string& file = memory[path];
  if (!append) file.clear();
  return {std::make_unique<MemoryOutput>(memory, path), {}};
}

FileStatus FakeFiles::copyBacking(const std::string& source, const std::string& destination) {
  if (backing_ == Backing::Disk) return SystemFileLayer().copyFile(source, destination);
  auto it = memory.find(source);
  if (it == memory.end()) return StatusFromErrno(ENOENT);
  memory[destination] = it->second;
  return {};
}

void FakeFiles::keepFirst(const std::string& path, long n) {
  if (n < 0) return;
  if (backing_ == Backing::Memory) {
    std::string& file = memory[path];
    file.resize(std::min(file.size(), static_cast<size_t>(n)));
    return;
  }
  std::error_code ec;
  std::filesystem::resize_file(path, static_cast<uintmax_t>(n), ec);
}

std::string FakeFiles::content(const std::string& path) {
  if (backing_ == Backing::Memory) return memory.count(path) ? memory[path] : std::string();
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void FakeFiles::replace(const std::string& path, const std::string& bytes) {
  if (backing_ == Backing::Memory) {
    memory[path] = bytes;
    return;
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

long FakeFiles::size(const std::string& path) {
  if (backing_ == Backing::Memory) return static_cast<long>(memory[path].size());
  std::error_code ec;
  return static_cast<long>(std::filesystem::file_size(path, ec));
}

Opened<InputFile> FakeFiles::openRead(const std::string& path) {
  note(Op::OpenRead, path);
  auto counter = log.back().bytes;
  if (const Fault* f = due(Op::OpenRead, path)) {
    ++fired;
    return {nullptr, StatusFromErrno(f->error)};
  }
  const Fault* readFault = due(Op::Read, path);
  Opened<InputFile> opened = openBacking(path);
  if (!opened) return opened;
  opened.file = std::make_unique<ScriptedInput>(std::move(opened.file), readPiece, readFault,
                                                counter, &fired);
  return opened;
}

Opened<OutputFile> FakeFiles::openWrite(const std::string& path, bool append) {
  note(Op::OpenWrite, path);
  auto counter = log.back().bytes;
  if (readOnly.count(path)) return {nullptr, StatusFromErrno(EACCES)};
  if (const Fault* f = due(Op::OpenWrite, path)) {
    ++fired;
    return {nullptr, StatusFromErrno(f->error)};
  }
  const Fault* writeFault = due(Op::Write, path);
  const Fault* closeFault = due(Op::Close, path);
  Opened<OutputFile> opened = createBacking(path, append);
  if (!opened) return opened;
  opened.file = std::make_unique<ScriptedOutput>(
      std::move(opened.file), writeFault, closeFault, [this, path](long n) { keepFirst(path, n); },
      counter, &fired);
  return opened;
}

FileStatus FakeFiles::copyFile(const std::string& source, const std::string& destination) {
  note(Op::Copy, destination, source);
  if (readOnly.count(destination)) return StatusFromErrno(EACCES);
  if (const Fault* f = due(Op::Copy, destination)) {
    ++fired;
    if (f->bytes >= 0) {  // the destination was opened and got part of the content
      std::string part = content(source);
      part.resize(std::min(part.size(), static_cast<size_t>(f->bytes)));
      replace(destination, part);
    }
    return StatusFromErrno(f->error);
  }
  FileStatus status = copyBacking(source, destination);
  if (status.ok()) *log.back().bytes = size(destination);
  return status;
}

FileStatus FakeFiles::removeFile(const std::string& path) {
  note(Op::Remove, path);
  if (readOnly.count(path)) return StatusFromErrno(EACCES);
  if (const Fault* f = due(Op::Remove, path)) {
    ++fired;
    return StatusFromErrno(f->error);
  }
  if (backing_ == Backing::Disk) return SystemFileLayer().removeFile(path);
  return memory.erase(path) ? FileStatus{} : StatusFromErrno(ENOENT);
}

bool FakeFiles::exists(const std::string& path) {
  if (backing_ == Backing::Disk) return SystemFileLayer().exists(path);
  return memory.count(path) != 0;
}

bool FakeFiles::isFolder(const std::string& path) {
  return backing_ == Backing::Disk && SystemFileLayer().isFolder(path);
}

}  // namespace kadrel::test
