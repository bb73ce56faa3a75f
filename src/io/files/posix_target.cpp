// Targets: the folder that holds a listed name, reached without following a link
// below a dropped folder, and the regular file at that name, opened and locked.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
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
  a.size = static_cast<uint64_t>(st.st_size);
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

FileStatus FolderStatus(int error, const std::string& folder) {
  FileStatus status = StatusFromErrno(error);
  if (error == kErrFolderReplaced) status.text += "\r[ " + folder + " ]";
  return status;
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
  where.folder = ReachFolder(drop, where.folderPath, error);
  if (!where.folder) return FolderStatus(error, where.folderPath);
  return {};
}

SharedFd ReachFolder(const DropPath& drop, const std::string& folder, int& error) {
  if (drop.scanRoot > 0 && drop.dropped) {
    const std::string& root = drop.dropped->path();
    if (!folder.starts_with(root)) {
      error = kErrFolderReplaced;
      return nullptr;
    }
    return drop.dropped->reach(folder.substr(root.size()), error);
  }
  int fd = -1;
  if (drop.scanRoot == 0 || drop.scanRoot > folder.size()) {
    fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) error = errno;
  } else {
    // The dropped folder is followed if it is a link; nothing below it is.
    const int root =
        ::open(folder.substr(0, drop.scanRoot).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) {
      error = errno;
    } else {
      fd = WalkDown(root, folder.substr(drop.scanRoot), error);
    }
  }
  return fd < 0 ? nullptr : std::make_shared<const Fd>(fd);
}

PosixTarget::PosixTarget(NameInFolder where, SharedFd file, const struct stat& st)
    : where_(std::move(where)),
      file_(std::move(file)),
      id_(IdOf(st)),
      attributes_(AttributesOf(st)) {}

PosixTarget::~PosixTarget() {
  // An earlier backup set aside for a replacement that never came goes back.
  if (aside_ && aside_->earlier != FileId{}) settleBackup(!atItsName());
}

std::string PosixTarget::realFolder() const {
  char path[PATH_MAX + 1];
  const std::string self = "/proc/self/fd/" + std::to_string(where_.folder->get());
  const ssize_t n = ::readlink(self.c_str(), path, PATH_MAX);
  if (n <= 0 || path[0] != '/') return where_.folderPath;
  std::string folder(path, static_cast<size_t>(n));
  return folder.ends_with('/') ? folder : folder + "/";
}

void PosixTarget::settleBackup(bool replaced) {
  if (!aside_) return;
  const SetAside a = std::move(*aside_);
  aside_.reset();
  const int folder = a.folder->get();
  if (a.earlier == FileId{}) {
    // There was no backup before: the new one goes with the replacement that failed.
    if (!replaced && IdAt(folder, a.name) == a.newer) ::unlinkat(folder, a.name.c_str(), 0);
    return;
  }
  if (!replaced && IdAt(folder, a.name) == a.newer && IdAt(folder, a.temp) == a.earlier)
    ::renameat2(folder, a.temp.c_str(), folder, a.name.c_str(), RENAME_EXCHANGE);
  // What is left at the temporary name is the backup that is not kept.
  if (IdAt(folder, a.temp) == (replaced ? a.earlier : a.newer))
    ::unlinkat(folder, a.temp.c_str(), 0);
  NoteRenamedInto(a.folder, a.name);
}

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
    // Read only, even to be replaced: the replacement is a new file, and other
    // programs watching the file see no write to it.
    const int fd =
        ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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
    if (forWriting && ::faccessat(folder, name, W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0)
      return Failed(errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return {std::unique_ptr<TargetFile>(new PosixTarget(std::move(where), std::move(file), st)),
            {}};
  }
}

}  // namespace kadrel::posix

namespace kadrel {

using posix::Fd;
using posix::IdOf;

std::shared_ptr<DroppedFolder> DroppedFolder::Open(const std::string& path, int& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  auto held = std::make_shared<const Fd>(fd);
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    error = errno;
    return nullptr;
  }
  return std::make_shared<DroppedFolder>(path.ends_with('/') ? path : path + "/", std::move(held),
                                         IdOf(st));
}

DroppedFolder::DroppedFolder(std::string path, std::shared_ptr<const Fd> fd, FileId id)
    : path_(std::move(path)), fd_(std::move(fd)), id_(id) {}

DroppedFolder::~DroppedFolder() = default;

int DroppedFolder::fd() const {
  return fd_->get();
}

void DroppedFolder::noteFolder(const std::string& relative, FileId id) {
  folders_[relative] = id;
}

std::shared_ptr<const Fd> DroppedFolder::reach(const std::string& relative, int& error) const {
  if (relative.empty()) return fd_;
  // Walked every time: a folder renamed or swapped since the last walk is found.
  std::shared_ptr<const Fd> at = fd_;
  FileId id;
  for (size_t start = 0; start < relative.size();) {
    size_t slash = relative.find('/', start);
    if (slash == std::string::npos) slash = relative.size();
    const std::string part = relative.substr(start, slash - start);
    const auto noted = folders_.find(relative.substr(0, slash) + "/");
    start = slash + 1;
    const int next =
        ::openat(at->get(), part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) {
      error = kErrFolderReplaced;  // removed, renamed, or a link put in its place
      return nullptr;
    }
    at = std::make_shared<const Fd>(next);
    struct stat st;
    if (::fstat(next, &st) != 0 || noted == folders_.end() || noted->second != IdOf(st)) {
      error = kErrFolderReplaced;
      return nullptr;
    }
    id = IdOf(st);
  }
  // The same folder as last time: its descriptor is shared, this one goes.
  const std::lock_guard lock(mutex_);
  if (lastFd_ && relative == lastRelative_ && id == lastId_) return lastFd_;
  lastRelative_ = relative;
  lastFd_ = at;
  lastId_ = id;
  return at;
}

}  // namespace kadrel
