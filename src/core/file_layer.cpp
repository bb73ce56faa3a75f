#include "core/file_layer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace kadrel {

std::string ErrorText(int code) {
  switch (code) {
    case 0:
      return "";
    case ENOENT:
      return "ファイルが見つかりません。";
    case EACCES:
    case EPERM:
      return "書き込みできません。アクセスが拒否されました。";
    case EROFS:
      return "書き込み禁止のメディアです。";
    case ENOSPC:
    case EDQUOT:
      return "ディスクの空き容量が不足しています。";
    case EISDIR:
      return "フォルダーが指定されました。ファイルではありません。";
    case ENOTDIR:
      return "パスが見つかりません。";
    case EIO:
      return "デバイス I/O エラーです。";
    case EMFILE:
    case ENFILE:
      return "開いているファイルが多すぎます。";
    case EFBIG:
      return "ファイルが大きすぎます。";
    case ENAMETOOLONG:
      return "ファイル名が長すぎます。";
    case kErrNotRegularFile:
      return "通常のファイルではありません。";
    case EBUSY:
    case ETXTBSY:
      return "ファイルは既に開かれています。";
    default:
      return std::string("ファイル操作でエラーが発生しました。(") + std::strerror(code) + ")";
  }
}

FileStatus StatusFromErrno(int code) {
  return FileStatus{code, ErrorText(code)};
}

namespace {

class PosixInput : public InputFile {
 public:
  explicit PosixInput(int fd) : fd_(fd) {}
  ~PosixInput() override { ::close(fd_); }
  long read(char* buffer, size_t n) override {
    for (;;) {
      ssize_t r = ::read(fd_, buffer, n);
      if (r >= 0) return static_cast<long>(r);
      if (errno == EINTR) continue;
      error_ = StatusFromErrno(errno);
      return -1;
    }
  }
  FileStatus lastError() const override { return error_; }

 private:
  int fd_;
  FileStatus error_;
};

class PosixOutput : public OutputFile {
 public:
  explicit PosixOutput(int fd) : fd_(fd) {}
  ~PosixOutput() override {
    if (fd_ >= 0) ::close(fd_);
  }
  bool write(const char* data, size_t n) override {
    if (fd_ < 0) return fail(EBADF);
    while (n > 0) {
      ssize_t w = ::write(fd_, data, n);
      if (w < 0) {
        if (errno == EINTR) continue;
        return fail(errno);
      }
      data += w;
      n -= static_cast<size_t>(w);
    }
    return true;
  }
  bool close() override {
    if (fd_ < 0) return error_.ok();
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) return fail(errno);
    return error_.ok();
  }
  FileStatus lastError() const override { return error_; }

 private:
  bool fail(int code) {
    if (error_.ok()) error_ = StatusFromErrno(code);
    return false;
  }
  int fd_;
  FileStatus error_;
};

// Hands out at most maxBytes; reading further fails with EFBIG.
class BoundedInput : public InputFile {
 public:
  BoundedInput(std::unique_ptr<InputFile> file, size_t maxBytes)
      : file_(std::move(file)), left_(maxBytes) {}
  long read(char* buffer, size_t n) override {
    // One byte more than allowed tells a file at the limit from a larger one.
    const long r = file_->read(buffer, std::min(n, left_ + 1));
    if (r <= 0) return r;
    if (static_cast<size_t>(r) > left_) {
      error_ = StatusFromErrno(EFBIG);
      return -1;
    }
    left_ -= static_cast<size_t>(r);
    return r;
  }
  FileStatus lastError() const override { return error_.ok() ? file_->lastError() : error_; }

 private:
  std::unique_ptr<InputFile> file_;
  size_t left_;
  FileStatus error_;
};

class PosixFileLayer : public FileLayer {
 public:
  Opened<InputFile> openRead(const std::string& path) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {nullptr, StatusFromErrno(errno)};
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      return {nullptr, StatusFromErrno(EISDIR)};
    }
    return {std::make_unique<PosixInput>(fd), {}};
  }

  Opened<OutputFile> openWrite(const std::string& path, bool append) override {
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) return {nullptr, StatusFromErrno(errno)};
    return {std::make_unique<PosixOutput>(fd), {}};
  }

  FileStatus copyFile(const std::string& source, const std::string& destination) override {
    int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return StatusFromErrno(errno);
    struct stat st;
    if (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
      int code = S_ISDIR(st.st_mode) ? EISDIR : errno;
      ::close(in);
      return StatusFromErrno(code);
    }
    int out =
        ::open(destination.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
      int code = errno;
      ::close(in);
      return StatusFromErrno(code);
    }
    int code = CopyContent(in, out);
    ::close(in);
    if (::close(out) != 0 && code == 0 && errno != EINTR) code = errno;
    return StatusFromErrno(code);
  }

  FileStatus removeFile(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return StatusFromErrno(errno);
    return {};
  }

  bool exists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
  }

  bool isFolder(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  Opened<InputFile> openReadBounded(const std::string& path, size_t maxBytes) override {
    // Non-blocking, so that opening a FIFO does not wait for a writer; the flag is
    // cleared once the file is known to be a regular one.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return {nullptr, StatusFromErrno(errno)};
    struct stat st;
    int code = 0;
    if (::fstat(fd, &st) != 0) {
      code = errno;
    } else if (S_ISDIR(st.st_mode)) {
      code = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
      code = kErrNotRegularFile;
    } else if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
      code = EFBIG;
    } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
      code = errno;
    }
    if (code != 0) {
      ::close(fd);
      return {nullptr, StatusFromErrno(code)};
    }
    return {std::make_unique<BoundedInput>(std::make_unique<PosixInput>(fd), maxBytes), {}};
  }

 private:
  static int CopyContent(int in, int out) {
    for (;;) {  // the kernel copies without a trip through user space where it can
      ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
      if (n == 0) return 0;
      if (n < 0) {
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) break;
        return errno;
      }
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
      ssize_t r = ::read(in, buffer.data(), buffer.size());
      if (r == 0) return 0;
      if (r < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      for (ssize_t done = 0; done < r;) {
        ssize_t w = ::write(out, buffer.data() + done, static_cast<size_t>(r - done));
        if (w < 0) {
          if (errno == EINTR) continue;
          return errno;
        }
        done += w;
      }
    }
  }
};

}  // namespace

Opened<InputFile> FileLayer::openReadBounded(const std::string& path, size_t maxBytes) {
  Opened<InputFile> opened = openRead(path);
  if (opened) opened.file = std::make_unique<BoundedInput>(std::move(opened.file), maxBytes);
  return opened;
}

std::unique_ptr<InputFile> StandardInput() {
  return std::make_unique<PosixInput>(STDIN_FILENO);
}

std::unique_ptr<OutputFile> StandardOutput() {
  return std::make_unique<PosixOutput>(STDOUT_FILENO);
}

FileLayer& SystemFileLayer() {
  static PosixFileLayer layer;
  return layer;
}

FileStatus ReadBoundedFile(const std::string& path, size_t maxBytes, std::string& bytes) {
  bytes.clear();
  Opened<InputFile> opened = SystemFileLayer().openReadBounded(path, maxBytes);
  if (!opened) return opened.status;
  char buffer[1 << 16];
  for (;;) {
    const long r = opened.file->read(buffer, sizeof buffer);
    if (r == 0) return {};
    if (r < 0) return opened.file->lastError();
    bytes.append(buffer, static_cast<size_t>(r));
  }
}

}  // namespace kadrel
