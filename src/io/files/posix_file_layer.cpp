// The real file system as the run's file layer.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "io/files/posix_files.h"

namespace kadrel {

namespace {

using posix::NameInFolder;
using posix::PosixTarget;

// Syncs of many small files overlap on the disk; more at once gain nothing.
constexpr size_t kCompleteThreads = 16;

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

// Our own temporaries may take a hard link of a file as its backup: not when the
// link would carry a privilege (setuid, setgid, file capabilities) to the copy.
bool MayLinkAsBackup(const PosixTarget& target) {
  if ((target.attributes().mode & 07000) != 0) return false;
  return ::fgetxattr(target.file()->get(), "security.capability", nullptr, 0) < 0;
}

// A backup copy by a hard link: the previous content costs no copy, and keeps
// the target's owner, permissions and times. False when it cannot be linked.
bool LinkAsBackup(PosixTarget& target, const NameInFolder& where, FileStatus& status) {
  const std::string self = "/proc/self/fd/" + std::to_string(target.file()->get());
  const int folder = where.folder->get();
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string temp = NewTemporaryName();
    // Links the very file that is open, whatever its name leads to now.
    if (::linkat(AT_FDCWD, self.c_str(), folder, temp.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      if (errno == EEXIST) continue;
      return false;  // another file system, no /proc, a protected link: a copy then
    }
    std::optional<posix::SetAside> aside;
    status = posix::PutInPlace(where.folder, temp, target.id(), where.name, target, aside);
    if (aside) {
      target.setAside(std::move(*aside));
    } else if (posix::IdAt(folder, temp) == target.id()) {
      ::unlinkat(folder, temp.c_str(), 0);  // refused: the link goes
    }
    return true;
  }
  return false;
}

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
    return {LimitedTo(std::make_unique<PosixInput>(fd), maxBytes), {}};
  }

  Opened<TargetFile> openTarget(const DropPath& name, bool forWriting,
                                const std::set<FileId>& done) override {
    return PosixTarget::Open(name, forWriting, done);
  }

  Opened<NewFile> createReplacement(TargetFile& target) override {
    const auto& t = static_cast<const PosixTarget&>(target);
    posix::NewFileRules rules;
    rules.replaces = &t;
    return posix::CreateNewFile(t.where(), std::move(rules));
  }

  Opened<NewFile> createFile(const DropPath& name, const FileAttributes* source) override {
    NameInFolder where;
    if (FileStatus s = posix::OpenFolderOf(name, false, where); !s.ok()) return {nullptr, s};
    posix::NewFileRules rules;
    if (source != nullptr) rules.like = *source;
    return posix::CreateNewFile(where, std::move(rules));
  }

  FileStatus checkNewName(const DropPath& name) override {
    NameInFolder where;
    if (FileStatus s = posix::OpenFolderOf(name, false, where); !s.ok()) return s;
    return posix::CheckNameInFolder(where.folder->get(), where.name);
  }

  FileStatus keepCopy(TargetFile& target, const DropPath& name) override {
    auto& t = static_cast<PosixTarget&>(target);
    NameInFolder where;
    if (FileStatus s = posix::OpenFolderOf(name, false, where); !s.ok()) return s;
    if (FileStatus s = posix::CheckNameInFolder(where.folder->get(), where.name); !s.ok()) return s;
    FileStatus status;
    if (MayLinkAsBackup(t) && LinkAsBackup(t, where, status)) return status;
    posix::NewFileRules rules;
    rules.like = t.attributes();
    rules.likeFile = t.file();
    rules.keepTimes = true;
    Opened<NewFile> copy = posix::CreateNewFile(where, std::move(rules));
    if (!copy) return copy.status;
    if (FileStatus s = posix::CopyInto(*copy.file, t.file()->get()); !s.ok()) return s;
    if (FileStatus s = copy.file->complete(); !s.ok()) return s;
    std::optional<posix::SetAside> aside;
    status = posix::CommitSettingAside(*copy.file, t, aside);
    if (aside) t.setAside(std::move(*aside));
    return status;
  }

  FileStatus restoreKept(TargetFile& target, const std::string& keptPath) override {
    const auto& t = static_cast<const PosixTarget&>(target);
    const int folder = t.where().folder->get();
    if (!t.atItsName()) return StatusFromErrno(kErrReplacedMeanwhile);
    if (::renameat(AT_FDCWD, keptPath.c_str(), folder, t.where().name.c_str()) != 0)
      return StatusFromErrno(errno);
    posix::NoteRenamedInto(t.where().folder, t.where().folderPath);
    return {};
  }

  std::vector<FileStatus> completeAll(const std::vector<NewFile*>& files) override {
    std::vector<FileStatus> statuses(files.size());
    std::vector<size_t> pending;  // those not completed ahead by a worker
    for (size_t i = 0; i < files.size(); ++i) {
      if (files[i]->isComplete()) {
        statuses[i] = files[i]->complete();
      } else {
        pending.push_back(i);
      }
    }
    posix::InParallel(pending.size(), kCompleteThreads,
                      [&](size_t k) { statuses[pending[k]] = files[pending[k]]->complete(); });
    return statuses;
  }

  std::vector<std::pair<std::string, FileStatus>> syncFolders(size_t atLeast) override {
    return posix::SyncRenamedFolders(atLeast);
  }

  void removeLeftovers(const DropPath& folder) override {
    posix::RemoveLeftoverTemporaries(folder);
  }

  FileStatus removeFile(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return StatusFromErrno(errno);
    return {};
  }

  bool exists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
  }
};

}  // namespace

namespace posix {

namespace {

struct RenamedFolders {
  std::mutex mutex;
  std::map<FileId, std::pair<SharedFd, std::string>> folders;
};

RenamedFolders& Renamed() {
  static RenamedFolders renamed;
  return renamed;
}

}  // namespace

FileStatus PutInPlace(const SharedFd& folder, const std::string& temp, FileId newId,
                      const std::string& name, const PosixTarget& target,
                      std::optional<SetAside>& aside) {
  // The target was replaced or removed meanwhile: it is not replaced now, and
  // what is at the name stays.
  if (!target.atItsName()) return StatusFromErrno(kErrReplacedMeanwhile);
  const int dir = folder->get();
  const std::optional<FileId> earlier = IdAt(dir, name);
  if (earlier) {
    // The earlier file is locked while it is set aside: another run would take
    // it for a leftover.
    const int fd = ::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    SharedFd held = fd < 0 ? nullptr : std::make_shared<const Fd>(fd);
    if (held) ::flock(fd, LOCK_EX | LOCK_NB);
    if (::renameat2(dir, temp.c_str(), dir, name.c_str(), RENAME_EXCHANGE) == 0) {
      aside = SetAside{folder, temp, name, *earlier, newId, std::move(held)};
      return {};
    }
    // A file system that cannot swap two names: the earlier file is replaced.
    if (errno != EINVAL && errno != ENOSYS) return StatusFromErrno(errno);
  }
  if (::renameat(dir, temp.c_str(), dir, name.c_str()) != 0) return StatusFromErrno(errno);
  if (!earlier) aside = SetAside{folder, {}, name, {}, newId, nullptr};
  NoteRenamedInto(folder, name);
  return {};
}

void NoteRenamedInto(const SharedFd& folder, const std::string& path) {
  struct stat st;
  if (::fstat(folder->get(), &st) != 0) return;
  RenamedFolders& renamed = Renamed();
  const std::lock_guard lock(renamed.mutex);
  renamed.folders.try_emplace(IdOf(st), folder, path);
}

std::vector<std::pair<std::string, FileStatus>> SyncRenamedFolders(size_t atLeast) {
  std::vector<std::pair<SharedFd, std::string>> folders;
  {
    RenamedFolders& renamed = Renamed();
    const std::lock_guard lock(renamed.mutex);
    if (renamed.folders.empty() || renamed.folders.size() < atLeast) return {};
    for (auto& [id, folder] : renamed.folders) folders.push_back(std::move(folder));
    renamed.folders.clear();
  }
  std::vector<FileStatus> statuses(folders.size());
  InParallel(folders.size(), kCompleteThreads, [&](size_t i) {
    // A folder opened for *at calls alone cannot be synced: its own descriptor can.
    const int fd = ::openat(folders[i].first->get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) statuses[i] = StatusFromErrno(errno);
    if (fd >= 0) ::close(fd);
  });
  std::vector<std::pair<std::string, FileStatus>> failed;
  for (size_t i = 0; i < folders.size(); ++i) {
    if (!statuses[i].ok()) failed.emplace_back(folders[i].second, statuses[i]);
  }
  return failed;
}

void InParallel(size_t count, size_t maxThreads, const std::function<void(size_t)>& work) {
  std::atomic<size_t> next{0};
  auto take = [&] {
    for (size_t i; (i = next.fetch_add(1)) < count;) work(i);
  };
  std::vector<std::thread> helpers;
  try {
    while (helpers.size() + 1 < std::min(count, maxThreads)) helpers.emplace_back(take);
  } catch (const std::system_error&) {
    // No more threads: the ones started and this one do the rest.
  }
  take();
  for (std::thread& t : helpers) t.join();
}

}  // namespace posix

void RaiseOpenFileLimit() {
  struct rlimit limit;
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

std::unique_ptr<InputFile> InputFromDescriptor(int fd) {
  return std::make_unique<PosixInput>(fd);
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

}  // namespace kadrel
