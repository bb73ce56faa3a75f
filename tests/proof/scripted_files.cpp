#include "proof/scripted_files.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <tuple>

namespace kadrel::proof {

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

// Keeps the first n bytes of a file (the part a failed copy or close got through).
void Truncate(const std::string& path, long n) {
  std::error_code ec;
  if (n >= 0) std::filesystem::resize_file(path, static_cast<uintmax_t>(n), ec);
}

class ScriptedInput : public InputFile {
 public:
  ScriptedInput(std::unique_ptr<InputFile> real, long failAfter, int error,
                std::shared_ptr<long> counter, int* fired)
      : real_(std::move(real)),
        left_(failAfter),
        error_(error),
        counter_(std::move(counter)),
        fired_(fired) {}
  long read(char* buffer, size_t n) override {
    if (left_ == 0) {
      if (!failed_) ++*fired_;
      failed_ = true;
      return -1;
    }
    if (left_ > 0) n = std::min(n, static_cast<size_t>(left_));
    long r = real_->read(buffer, n);
    if (r > 0) {
      *counter_ += r;
      if (left_ > 0) left_ -= r;
    }
    return r;
  }
  FileStatus lastError() const override {
    return failed_ ? StatusFromErrno(error_) : real_->lastError();
  }

 private:
  std::unique_ptr<InputFile> real_;
  long left_;  // -1: no limit
  int error_;
  bool failed_ = false;
  std::shared_ptr<long> counter_;
  int* fired_;
};

class ScriptedOutput : public OutputFile {
 public:
  ScriptedOutput(std::unique_ptr<OutputFile> real, std::string path, const Fault* write,
                 const Fault* close, std::shared_ptr<long> counter, int* fired)
      : real_(std::move(real)),
        path_(std::move(path)),
        left_(write ? write->bytes : -1),
        writeError_(write ? write->error : 0),
        close_(close ? std::optional<Fault>(*close) : std::nullopt),
        counter_(std::move(counter)),
        fired_(fired) {}
  bool write(const char* data, size_t n) override {
    if (error_ != 0) return false;
    if (left_ >= 0 && static_cast<long>(n) > left_) {
      std::ignore = real_->write(data, static_cast<size_t>(left_));  // partial, as a full disk
      *counter_ += left_;
      left_ = 0;
      error_ = writeError_;
      ++*fired_;
      return false;
    }
    if (left_ >= 0) left_ -= static_cast<long>(n);
    *counter_ += static_cast<long>(n);
    return real_->write(data, n);
  }
  bool close() override {
    if (closed_) return error_ == 0 && real_->lastError().ok();
    closed_ = true;
    bool ok = real_->close();
    if (close_ && error_ == 0) {
      Truncate(path_, close_->bytes);  // the data still buffered is lost
      error_ = close_->error;
      ++*fired_;
    }
    return ok && error_ == 0;
  }
  FileStatus lastError() const override {
    return error_ != 0 ? StatusFromErrno(error_) : real_->lastError();
  }

 private:
  std::unique_ptr<OutputFile> real_;
  std::string path_;
  long left_;
  int writeError_;
  std::optional<Fault> close_;
  std::shared_ptr<long> counter_;
  int* fired_;
  int error_ = 0;
  bool closed_ = false;
};

}  // namespace

const Fault* ScriptedFileLayer::due(Op op, const std::string& path) {
  seen_.resize(faults.size(), 0);
  for (size_t i = 0; i < faults.size(); ++i) {
    const Fault& f = faults[i];
    if (f.op != op || !EndsWith(path, f.path)) continue;
    if (++seen_[i] == f.occurrence) return &f;
  }
  return nullptr;
}

void ScriptedFileLayer::note(Op op, const std::string& path, const std::string& source) {
  log.push_back({op, path, source, std::make_shared<long>(0)});
  if (before) before(op, path);
}

Opened<InputFile> ScriptedFileLayer::openRead(const std::string& path) {
  note(Op::OpenRead, path);
  auto counter = log.back().bytes;
  if (const Fault* f = due(Op::OpenRead, path)) {
    ++fired;
    return {nullptr, StatusFromErrno(f->error)};
  }
  const Fault* readFault = due(Op::Read, path);
  auto real = SystemFileLayer().openRead(path);
  if (!real) return real;
  real.file =
      std::make_unique<ScriptedInput>(std::move(real.file), readFault ? readFault->bytes : -1,
                                      readFault ? readFault->error : 0, counter, &fired);
  return real;
}

Opened<OutputFile> ScriptedFileLayer::openWrite(const std::string& path, bool append) {
  note(Op::OpenWrite, path);
  auto counter = log.back().bytes;
  if (readOnly.count(path)) return {nullptr, StatusFromErrno(EACCES)};
  if (const Fault* f = due(Op::OpenWrite, path)) {
    ++fired;
    return {nullptr, StatusFromErrno(f->error)};
  }
  const Fault* writeFault = due(Op::Write, path);
  const Fault* closeFault = due(Op::Close, path);
  auto real = SystemFileLayer().openWrite(path, append);
  if (!real) return real;
  real.file = std::make_unique<ScriptedOutput>(std::move(real.file), path, writeFault, closeFault,
                                               counter, &fired);
  return real;
}

FileStatus ScriptedFileLayer::copyFile(const std::string& source, const std::string& destination) {
  note(Op::Copy, destination, source);
  if (readOnly.count(destination)) return StatusFromErrno(EACCES);
  if (const Fault* f = due(Op::Copy, destination)) {
    ++fired;
    if (f->bytes >= 0) {  // the destination was opened and got part of the content
      std::ifstream in(source, std::ios::binary);
      std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      content.resize(std::min(content.size(), static_cast<size_t>(f->bytes)));
      std::ofstream(destination, std::ios::binary | std::ios::trunc) << content;
    }
    return StatusFromErrno(f->error);
  }
  FileStatus status = SystemFileLayer().copyFile(source, destination);
  if (status.ok()) *log.back().bytes = static_cast<long>(std::filesystem::file_size(destination));
  return status;
}

FileStatus ScriptedFileLayer::removeFile(const std::string& path) {
  note(Op::Remove, path);
  if (readOnly.count(path)) return StatusFromErrno(EACCES);
  if (const Fault* f = due(Op::Remove, path)) {
    ++fired;
    return StatusFromErrno(f->error);
  }
  return SystemFileLayer().removeFile(path);
}

bool ScriptedFileLayer::exists(const std::string& path) {
  return SystemFileLayer().exists(path);
}

bool ScriptedFileLayer::isFolder(const std::string& path) {
  return SystemFileLayer().isFolder(path);
}

}  // namespace kadrel::proof
