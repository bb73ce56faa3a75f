// Targets: the folder that holds a listed name, reached without following a link
// below a dropped folder, and the regular file at that name, opened and locked.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "io/files/posix_files.h"

namespace kadrel::posix {

namespace {

// A named path's target may be swapped for a link between its resolution and its
// opening; resolving again settles it, unless someone keeps swapping.
constexpr int kOpenAttempts = 4;

class PreadInput : public InputFile {
 public:
  explicit PreadInput(SharedFd fd) : fd_(std::move(fd)) {}
  long read(char* buffer, size_t n) override {
    for (;;) {
      const ssize_t r = ::pread(fd_->get(), buffer, n, offset_);
      if (r >= 0) {
        offset_ += r;
        return static_cast<long>(r);
      }
      if (errno == EINTR) continue;
      error_ = StatusFromErrno(errno);
      return -1;
    }
  }
  FileStatus lastError() const override { return error_; }

 private:
  SharedFd fd_;
  off_t offset_ = 0;
  FileStatus error_;
};

Opened<TargetFile> Failed(int code) {
  return {nullptr, StatusFromErrno(code)};
}

// Splits a path into its folder (with the final "/") and its last part.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  const size_t slash = path.rfind('/');
  folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
  name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// Opens each folder of relative below folder without following a link.
int WalkDown(int folder, const std::string& relative, int& error) {
  int fd = folder;
  size_t start = 0;
  while (start < relative.size()) {
    size_t slash = relative.find('/', start);
    if (slash == std::string::npos) slash = relative.size();
    const std::string part = relative.substr(start, slash - start);
    start = slash + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {  // never met in a scan: a way out of the dropped folder
      ::close(fd);
      error = kErrLinkAtName;
      return -1;
    }
    const int next = ::openat(fd, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int code = errno;
    // O_PATH with O_NOFOLLOW opens a link itself, which then is no folder.
    struct stat st;
    const bool link = next < 0 && code == ENOTDIR &&
                      ::fstatat(fd, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                      S_ISLNK(st.st_mode);
    ::close(fd);
    if (next < 0) {
      error = link || code == ELOOP ? kErrLinkAtName : code;
      return -1;
    }
    fd = next;
  }
  return fd;
}

}  // namespace

Fd::~Fd() {
  if (fd_ >= 0) ::close(fd_);
}

FileId IdOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

FileAttributes AttributesOf(const struct stat& st) {
  FileAttributes a;
  a.owner = st.st_uid;
  a.group = st.st_gid;
  a.mode = st.st_mode & 07777;
  a.accessed = st.st_atim;
  a.modified = st.st_mtim;
  return a;
}

std::optional<FileId> IdAt(int folder, const std::string& name) {
  struct stat st;
  if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  return IdOf(st);
}

Opened<InputFile> ReadFromStart(SharedFd fd) {
  return {std::make_unique<PreadInput>(std::move(fd)), {}};
}

FileStatus CheckNameInFolder(int folder, const std::string& name) {
  struct stat st;
  if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT ? FileStatus{} : StatusFromErrno(errno);
  if (S_ISLNK(st.st_mode)) return StatusFromErrno(kErrLinkAtName);
  if (S_ISDIR(st.st_mode)) return StatusFromErrno(EISDIR);
  if (!S_ISREG(st.st_mode)) return StatusFromErrno(kErrNotRegularFile);
  return {};
}

FileStatus OpenFolderOf(const DropPath& drop, bool resolveName, NameInFolder& where) {
  std::string path = drop.path;
  if (drop.scanRoot == 0 && resolveName) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return StatusFromErrno(errno);
    path = real;
    std::free(real);
  }
  SplitPath(path, where.folderPath, where.name);
  if (where.name.empty() || where.name == "." || where.name == "..") return StatusFromErrno(EISDIR);
  int error = 0;
  const int fd = OpenFolder(where.folderPath, drop.scanRoot, error);
  if (fd < 0) return StatusFromErrno(error);
  where.folder = std::make_shared<const Fd>(fd);
  return {};
}

int OpenFolder(const std::string& folder, size_t scanRoot, int& error) {
  if (scanRoot == 0 || scanRoot > folder.size()) {
    const int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) error = errno;
    return fd;
  }
  // The dropped folder is followed if it is a link; nothing below it is.
  const int root = ::open(folder.substr(0, scanRoot).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (root < 0) {
    error = errno;
    return -1;
  }
  return WalkDown(root, folder.substr(scanRoot), error);
}

PosixTarget::PosixTarget(NameInFolder where, SharedFd file, const struct stat& st)
    : where_(std::move(where)),
      file_(std::move(file)),
      id_(IdOf(st)),
      attributes_(AttributesOf(st)) {}

Opened<TargetFile> PosixTarget::Open(const DropPath& drop, bool forWriting,
                                     const std::set<FileId>& done) {
  for (int attempt = 1;; ++attempt) {
    const bool mayRetry = attempt < kOpenAttempts;
    NameInFolder where;
    if (FileStatus s = OpenFolderOf(drop, true, where); !s.ok()) return {nullptr, s};
    const int folder = where.folder->get();
    const char* name = where.name.c_str();
    // The kind is checked before the open, so that a device is never opened.
    struct stat st;
    if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return Failed(errno);
    if (S_ISLNK(st.st_mode)) {
      if (drop.scanRoot == 0 && mayRetry) continue;
      return Failed(kErrLinkAtName);
    }
    if (S_ISDIR(st.st_mode)) return Failed(EISDIR);
    if (!S_ISREG(st.st_mode)) return Failed(kErrNotRegularFile);
    const int flags =
        (forWriting ? O_RDWR : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const int fd = ::openat(folder, name, flags);
    if (fd < 0) {
      if (errno == ELOOP && drop.scanRoot == 0 && mayRetry) continue;
      return Failed(errno == ELOOP ? kErrLinkAtName : errno);
    }
    auto file = std::make_shared<const Fd>(fd);
    if (::fstat(fd, &st) != 0) return Failed(errno);
    if (!S_ISREG(st.st_mode)) {
      if (mayRetry) continue;
      return Failed(kErrNotRegularFile);
    }
    // Before the lock: the run itself may still hold this file's.
    if (done.count(IdOf(st)) != 0) return Failed(kErrAlreadyDone);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EWOULDBLOCK) return Failed(kErrLocked);
      if (errno != ENOLCK && errno != EINVAL && errno != EOPNOTSUPP) return Failed(errno);
      // A file system without locks: the file is processed unguarded.
    }
    // The name may have been given another file between the open and the lock,
    // by a run that just finished with it: the lock would guard nothing then.
    if (IdAt(folder, where.name) != IdOf(st)) {
      if (mayRetry) continue;
      return Failed(kErrReplacedMeanwhile);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return {std::unique_ptr<TargetFile>(new PosixTarget(std::move(where), std::move(file), st)),
            {}};
  }
}

}  // namespace kadrel::posix
