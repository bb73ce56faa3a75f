// New files: a temporary beside the name it is for, created exclusively and
// locked while it lives (so that a later run can tell a killed run's leftover
// from a living run's file), the runner's alone until its last write, then given
// its attributes, synced, and renamed over the name.
#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <tuple>
#include <vector>

#include "io/files/posix_files.h"

namespace kadrel::posix {

namespace {

constexpr int kCreateAttempts = 100;
constexpr uint32_t kLeaveAsIs = static_cast<uint32_t>(-1);  // fchown: no change
constexpr size_t kCopyChunk = size_t{1} << 30;

// The descriptor of a new file and what happened to it, shared with its writers.
struct Written {
  explicit Written(int fd) : fd(std::make_shared<const Fd>(fd)) {}
  SharedFd fd;
  FileStatus error;
  uint64_t size = 0;

  bool fail(int code) {
    if (error.ok()) error = StatusFromErrno(code);
    return false;
  }
  bool write(const char* data, size_t n) {
    if (!error.ok()) return false;
    while (n > 0) {
      const ssize_t w = ::write(fd->get(), data, n);
      if (w < 0) {
        if (errno == EINTR) continue;
        return fail(errno);
      }
      data += w;
      n -= static_cast<size_t>(w);
      size += static_cast<uint64_t>(w);
    }
    return true;
  }
};

class NewFileOutput : public OutputFile {
 public:
  explicit NewFileOutput(std::shared_ptr<Written> state) : state_(std::move(state)) {}
  bool write(const char* data, size_t n) override { return state_->write(data, n); }
  bool close() override { return state_->error.ok(); }
  FileStatus lastError() const override { return state_->error; }

 private:
  std::shared_ptr<Written> state_;
};

// The extended attributes of one file given to another; ACLs among them. Only a
// failure to set an ACL counts: the others (security labels, attributes of
// trusted programs) need privileges that the file's owner may lack.
FileStatus CopyExtendedAttributes(int from, int to, bool capabilities) {
  std::vector<char> names;
  ssize_t length = 0;
  for (;;) {
    length = ::flistxattr(from, nullptr, 0);
    if (length <= 0) break;
    names.resize(static_cast<size_t>(length));
    length = ::flistxattr(from, names.data(), names.size());
    if (length >= 0 || errno != ERANGE) break;
  }
  bool hasAcl = false;
  std::vector<char> value;
  for (const char* p = names.data(); length > 0 && p < names.data() + length;
       p += std::strlen(p) + 1) {
    const std::string_view name(p);
    const bool acl = name.starts_with("system.posix_acl_");
    hasAcl = hasAcl || name == "system.posix_acl_access";
    if (!capabilities && name == "security.capability") continue;
    ssize_t size = ::fgetxattr(from, p, nullptr, 0);
    if (size < 0) continue;
    value.resize(static_cast<size_t>(size));
    size = ::fgetxattr(from, p, value.data(), value.size());
    if (size < 0) continue;
    if (::fsetxattr(to, p, value.data(), static_cast<size_t>(size), 0) != 0 && acl)
      return StatusFromErrno(kErrOwnerNotKept);
  }
  // A folder's default ACL gives a new file an ACL of its own.
  if (!hasAcl) ::fremovexattr(to, "system.posix_acl_access");
  return {};
}

// The owner and group where the runner may set them; else the group alone.
void GiveOwner(int fd, const FileAttributes& a) {
  if (::fchown(fd, a.owner, a.group) == 0) return;
  if (a.group != kLeaveAsIs) std::ignore = ::fchown(fd, kLeaveAsIs, a.group);
}

bool MayChangeOwners() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
  if (::syscall(SYS_capget, &header, data) != 0) return ::geteuid() == 0;
  return (data[CAP_CHOWN / 32].effective & (1u << (CAP_CHOWN % 32))) != 0;
}

bool InGroup(gid_t group) {
  if (group == ::getegid()) return true;
  std::vector<gid_t> groups(static_cast<size_t>(std::max(::getgroups(0, nullptr), 0)));
  const int n = ::getgroups(static_cast<int>(groups.size()), groups.data());
  return n > 0 && std::find(groups.begin(), groups.begin() + n, group) != groups.begin() + n;
}

// True when the runner may give a new file of its own this owner and group.
bool MayGive(const FileAttributes& a, const struct stat& created) {
  if (a.owner == created.st_uid && a.group == created.st_gid) return true;
  if (MayChangeOwners()) return true;
  return a.owner == created.st_uid && InGroup(a.group);
}

// A replacement that carries a privilege: no one but the runner may write to it
// before it takes its name. Its owner is not the only one who could: a group
// that may write it, or a user its ACL names, gets that right before the
// privilege is set (the ACL goes with the extended attributes, ahead of the mode).
bool CarriesPrivilege(const PosixTarget& target) {
  if ((target.attributes().mode & 06000) != 0) return true;
  return ::fgetxattr(target.file()->get(), "security.capability", nullptr, 0) >= 0;
}

// The name of the file in a folder of the runner's own.
constexpr const char* kPrivateFileName = "new";

// A folder of the runner's own beside the name (named as our temporaries are),
// which no other user can enter, held locked while it lives.
struct PrivateFolder {
  std::string name;
  SharedFd fd;
  FileId id;
};

FileStatus MakePrivateFolder(int folder, PrivateFolder& made) {
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    std::string name = NewTemporaryName();
    if (::mkdirat(folder, name.c_str(), 0700) != 0) {
      if (errno == EEXIST) continue;
      return StatusFromErrno(errno);
    }
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;  // taken away meanwhile
    auto held = std::make_shared<const Fd>(fd);
    // A run that is removing leftovers took it first; it removes it too.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) continue;
    struct stat st;
    if (::fstat(fd, &st) != 0) return StatusFromErrno(errno);
    if (st.st_uid != ::geteuid() || (st.st_mode & 077) != 0 || IdAt(folder, name) != IdOf(st))
      continue;
    made = {std::move(name), std::move(held), IdOf(st)};
    return {};
  }
  return StatusFromErrno(EEXIST);
}

// Removes a folder of the runner's own and what it holds, unless another hand
// put something else at its name.
void RemovePrivateFolder(int folder, const PrivateFolder& made) {
  ::unlinkat(made.fd->get(), kPrivateFileName, 0);
  if (IdAt(folder, made.name) == made.id) ::unlinkat(folder, made.name.c_str(), AT_REMOVEDIR);
}

class PosixNewFile : public NewFile {
 public:
  PosixNewFile(NameInFolder where, std::optional<PrivateFolder> inside, std::string temp,
               std::shared_ptr<Written> state, FileId id, NewFileRules rules)
      : where_(std::move(where)),
        inside_(std::move(inside)),
        temp_(std::move(temp)),
        state_(std::move(state)),
        id_(id),
        rules_(std::move(rules)) {}

  ~PosixNewFile() override {
    // Never removes what another hand put at the temporary's name.
    if (!committed_ && IdAt(tempFolder(), temp_) == id_) ::unlinkat(tempFolder(), temp_.c_str(), 0);
    if (inside_) RemovePrivateFolder(folder(), *inside_);
  }

  std::unique_ptr<OutputFile> output() override { return std::make_unique<NewFileOutput>(state_); }
  Opened<InputFile> read() override { return ReadFromStart(state_->fd); }
  uint64_t size() const override { return state_->size; }

  FileStatus truncate(uint64_t size) override {
    const auto at = static_cast<off_t>(size);
    if (::ftruncate(fd(), at) != 0 || ::lseek(fd(), at, SEEK_SET) < 0)
      return StatusFromErrno(errno);
    state_->size = size;
    state_->error = {};
    return {};
  }

  void narrowTo(const FileAttributes& source) override {
    if (!rules_.like) return;
    FileAttributes& a = *rules_.like;
    a.mode &= source.mode;
    if (a.owner != source.owner) a.owner = kLeaveAsIs;
    if (a.group != source.group) a.group = kLeaveAsIs;
    rules_.likeFile.reset();  // one file's ACL would open the others' content
  }

  void keepTimes(const FileAttributes& times) override {
    times_ = {times.accessed, times.modified};
  }

  FileStatus complete() override {
    if (!completed_) completed_ = completeOnce();
    return *completed_;
  }
  bool isComplete() const override { return completed_.has_value(); }

  FileStatus commit() override {
    if (rules_.replaces != nullptr && IdAt(folder(), where_.name) != rules_.replaces->id())
      return StatusFromErrno(kErrReplacedMeanwhile);
    if (::renameat(tempFolder(), temp_.c_str(), folder(), where_.name.c_str()) != 0)
      return StatusFromErrno(errno);
    committed_ = true;
    NoteRenamedInto(where_.folder, where_.folderPath);
    return {};
  }

  FileStatus commitSettingAside(const PosixTarget& target, std::optional<SetAside>& aside) {
    const FileStatus status = PutInPlace(where_.folder, temp_, id_, where_.name, target, aside);
    committed_ = status.ok();
    return status;
  }

  FileId id() const override { return id_; }

  Written& written() { return *state_; }

 private:
  FileStatus completeOnce() {
    if (!state_->error.ok()) return state_->error;
    if (rules_.replaces != nullptr) {
      // After the last write, in this order: the owner (which takes setuid,
      // setgid and file capabilities away), then the extended attributes (file
      // capabilities among them) and the permissions with setuid and setgid.
      const FileAttributes& a = rules_.replaces->attributes();
      struct stat st;
      if (::fstat(fd(), &st) != 0) return StatusFromErrno(errno);
      if ((a.owner != st.st_uid || a.group != st.st_gid) && ::fchown(fd(), a.owner, a.group) != 0)
        return StatusFromErrno(kErrOwnerNotKept);
      const int target = rules_.replaces->file()->get();
      if (FileStatus s = CopyExtendedAttributes(target, fd(), true); !s.ok()) return s;
      if (::fchmod(fd(), a.mode) != 0) return StatusFromErrno(kErrOwnerNotKept);
    } else if (rules_.like) {
      const FileAttributes& a = *rules_.like;
      GiveOwner(fd(), a);
      if (rules_.likeFile)
        std::ignore = CopyExtendedAttributes(rules_.likeFile->get(), fd(), false);
      ::fchmod(fd(), a.mode & 0777);  // a failure leaves 0600: never wider than asked
      if (rules_.keepTimes) times_ = {a.accessed, a.modified};
    }
    if (times_) ::futimens(fd(), times_->data());
    // The data is on the disk before the name leads to it: after a power cut the
    // name holds the previous file or the new one, never an empty one.
    if (::fdatasync(fd()) != 0) return StatusFromErrno(errno);
    return {};
  }

  int folder() const { return where_.folder->get(); }
  // Where the temporary is: the name's folder, or a folder of our own in it.
  int tempFolder() const { return inside_ ? inside_->fd->get() : folder(); }
  int fd() const { return state_->fd->get(); }

  NameInFolder where_;
  std::optional<PrivateFolder> inside_;
  std::string temp_;
  std::shared_ptr<Written> state_;
  FileId id_;
  NewFileRules rules_;
  std::optional<std::array<timespec, 2>> times_;
  std::optional<FileStatus> completed_;
  bool committed_ = false;
};

}  // namespace

Opened<NewFile> CreateNewFile(const NameInFolder& where, NewFileRules rules) {
  if (rules.replaces == nullptr) {
    if (FileStatus s = CheckNameInFolder(where.folder->get(), where.name); !s.ok())
      return {nullptr, s};
  }
  std::optional<PrivateFolder> inside;
  if (rules.replaces != nullptr && CarriesPrivilege(*rules.replaces)) {
    inside.emplace();
    if (FileStatus s = MakePrivateFolder(where.folder->get(), *inside); !s.ok())
      return {nullptr, s};
  }
  const int folder = inside ? inside->fd->get() : where.folder->get();
  // Content taken from another file is readable by the runner alone until it
  // has that file's permissions.
  const mode_t mode = rules.replaces != nullptr || rules.like ? 0600 : 0666;
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    std::string temp = inside ? kPrivateFileName : NewTemporaryName();
    const int fd =
        ::openat(folder, temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
      if (errno == EEXIST && !inside) continue;
      if (inside) RemovePrivateFolder(where.folder->get(), *inside);
      return {nullptr, StatusFromErrno(errno)};
    }
    auto state = std::make_shared<Written>(fd);
    // A run that is removing leftovers took it first; it removes it too.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) continue;
    struct stat st;
    if (::fstat(fd, &st) != 0) return {nullptr, StatusFromErrno(errno)};
    if (IdAt(folder, temp) != IdOf(st)) continue;  // removed as a leftover meanwhile
    // An owner the runner cannot give is refused before anything is written.
    const bool mayGive = rules.replaces == nullptr || MayGive(rules.replaces->attributes(), st);
    auto file = std::make_unique<PosixNewFile>(where, std::move(inside), std::move(temp),
                                               std::move(state), IdOf(st), std::move(rules));
    if (!mayGive) return {nullptr, StatusFromErrno(kErrOwnerNotKept)};
    return {std::move(file), {}};
  }
  if (inside) RemovePrivateFolder(where.folder->get(), *inside);
  return {nullptr, StatusFromErrno(EEXIST)};
}

FileStatus CommitSettingAside(NewFile& file, const PosixTarget& target,
                              std::optional<SetAside>& aside) {
  return static_cast<PosixNewFile&>(file).commitSettingAside(target, aside);
}

FileStatus CopyInto(NewFile& file, int from) {
  Written& out = static_cast<PosixNewFile&>(file).written();
  off_t offset = 0;
  for (;;) {  // the kernel copies without a trip through user space where it can
    const ssize_t n = ::copy_file_range(from, &offset, out.fd->get(), nullptr, kCopyChunk, 0);
    if (n == 0) return {};
    if (n > 0) {
      out.size += static_cast<uint64_t>(n);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) break;
    return StatusFromErrno(errno);
  }
  std::vector<char> buffer(size_t{1} << 20);
  for (;;) {
    const ssize_t r = ::pread(from, buffer.data(), buffer.size(), offset);
    if (r == 0) return {};
    if (r < 0) {
      if (errno == EINTR) continue;
      return StatusFromErrno(errno);
    }
    offset += r;
    if (!out.write(buffer.data(), static_cast<size_t>(r))) return out.error;
  }
}

void RemoveLeftoverTemporaries(const DropPath& folder) {
  int error = 0;
  const SharedFd reached = ReachFolder(folder, folder.path, error);
  if (!reached) return;
  const int dirFd = ::openat(reached->get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return;
  DIR* dir = ::fdopendir(dirFd);
  if (dir == nullptr) {
    ::close(dirFd);
    return;
  }
  std::vector<std::string> names;
  while (const dirent* d = ::readdir(dir)) {
    if (IsTemporaryName(d->d_name)) names.emplace_back(d->d_name);
  }
  for (const std::string& name : names) {
    struct stat st;
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    // Our folders of our own: only the runner's, never another user's.
    const bool privateFolder = S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
    if (!S_ISREG(st.st_mode) && !privateFolder) continue;
    const int fd = ::openat(dirFd, name.c_str(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                                (privateFolder ? O_DIRECTORY : 0));
    if (fd < 0) continue;
    auto held = std::make_shared<const Fd>(fd);
    struct stat opened;
    // A living run holds the lock of each of its temporaries.
    if (::fstat(fd, &opened) != 0 || IdOf(opened) != IdOf(st) ||
        ::flock(fd, LOCK_EX | LOCK_NB) != 0)
      continue;
    if (privateFolder) {
      RemovePrivateFolder(dirFd, {name, held, IdOf(st)});
    } else if (IdAt(dirFd, name) == IdOf(st)) {
      ::unlinkat(dirFd, name.c_str(), 0);
    }
  }
  ::closedir(dir);
}

}  // namespace kadrel::posix
