#include "support/faulty_files.h"

#include <algorithm>
#include <cerrno>
#include <tuple>

namespace kadrel::test {

bool EndsWith(const std::string& s, const std::string& suffix) {
  return !suffix.empty() && s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

namespace {

class FaultyInput : public InputFile {
 public:
  FaultyInput(std::unique_ptr<InputFile> real, long failAfter)
      : real_(std::move(real)), left_(failAfter) {}
  long read(char* buffer, size_t n) override {
    if (left_ <= 0) return -1;
    long r = real_->read(buffer, std::min(n, static_cast<size_t>(left_)));
    if (r > 0) left_ -= r;
    return r;
  }
  FileStatus lastError() const override { return StatusFromErrno(EIO); }

 private:
  std::unique_ptr<InputFile> real_;
  long left_;
};

class FaultyOutput : public OutputFile {
 public:
  FaultyOutput(std::unique_ptr<OutputFile> real, long failAfter, bool failClose)
      : real_(std::move(real)), left_(failAfter), failClose_(failClose) {}
  bool write(const char* data, size_t n) override {
    if (left_ >= 0 && static_cast<long>(n) > left_) {
      std::ignore = real_->write(data, static_cast<size_t>(left_));  // partial, as a full disk
      left_ = 0;
      failed_ = true;
      return false;
    }
    if (left_ >= 0) left_ -= static_cast<long>(n);
    return real_->write(data, n);
  }
  bool close() override {
    bool ok = real_->close();
    if (failClose_) failed_ = true;
    return ok && !failed_;
  }
  FileStatus lastError() const override {
    return failed_ ? StatusFromErrno(ENOSPC) : real_->lastError();
  }

 private:
  std::unique_ptr<OutputFile> real_;
  long left_;  // -1: no limit
  bool failClose_;
  bool failed_ = false;
};

}  // namespace

Opened<InputFile> FaultyFileLayer::openRead(const std::string& path) {
  auto real = SystemFileLayer().openRead(path);
  if (real && EndsWith(path, failReadOf))
    real.file = std::make_unique<FaultyInput>(std::move(real.file), readFailsAfter);
  return real;
}

Opened<OutputFile> FaultyFileLayer::openWrite(const std::string& path, bool append) {
  if (EndsWith(path, failOpenWriteOf)) return {nullptr, StatusFromErrno(EACCES)};
  auto real = SystemFileLayer().openWrite(path, append);
  if (!real) return real;
  const bool failWrite = EndsWith(path, failWriteOf);
  const bool failClose = EndsWith(path, failCloseOf);
  if (failWrite || failClose)
    real.file = std::make_unique<FaultyOutput>(std::move(real.file),
                                               failWrite ? writeFailsAfter : -1, failClose);
  return real;
}

FileStatus FaultyFileLayer::copyFile(const std::string& source, const std::string& destination) {
  if (EndsWith(destination, failCopyTo)) return StatusFromErrno(ENOSPC);
  return SystemFileLayer().copyFile(source, destination);
}

FileStatus FaultyFileLayer::removeFile(const std::string& path) {
  return SystemFileLayer().removeFile(path);
}
bool FaultyFileLayer::exists(const std::string& path) {
  return SystemFileLayer().exists(path);
}
bool FaultyFileLayer::isFolder(const std::string& path) {
  return SystemFileLayer().isFolder(path);
}

}  // namespace kadrel::test
