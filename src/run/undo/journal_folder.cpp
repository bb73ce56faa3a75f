#include "run/undo/journal_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "core/program_folder.h"
#include "io/streams.h"

namespace kadrel {

namespace {

// Past this the index is no index of ours (a line per replaced file).
constexpr size_t kIndexMaxBytes = size_t{256} << 20;

// Only the runner may have put anything there.
bool Private(const struct stat& st) {
  return st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Creates path and the folders above it that are missing, private to the user.
int MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    if (slash == std::string::npos) return 0;
  }
}

// A journal's own names: its index and the kept contents' numbers.
bool JournalName(std::string_view name) {
  return name == kUndoIndexName ||
         (!name.empty() && name.find_first_not_of("0123456789") == std::string_view::npos);
}

}  // namespace

std::string UndoFolderOf(const std::string& programFolder) {
  // The user's own settings (an installed program's): the journal goes with what
  // the user keeps between runs, not with the settings.
  if (programFolder == UserConfigFolder()) return UserStateFolder();
  return programFolder + "/" + kUndoFolderName;
}

JournalFolder::~JournalFolder() {
  if (fd_ >= 0) ::close(fd_);  // releases the lock
}

bool JournalFolder::open(const std::string& path, Access access, FileStatus& status) {
  path_ = path;
  if (access == Access::Create) {
    if (const int error = MakeFolders(path); error != 0) {
      status = StatusFromErrno(error);
      return false;
    }
  }
  fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd_ < 0) {
    status = StatusFromErrno(errno == ELOOP ? kErrLinkAtName : errno);
    return false;
  }
  struct stat st;
  if (::fstat(fd_, &st) != 0) {
    status = StatusFromErrno(errno);
    return false;
  }
  if (!Private(st)) {
    // Another user could have put an index or a file there for us to act on.
    status = {kErrJournalNotPrivate,
              "元に戻す用の控えのフォルダーが、ほかのユーザーのものか、ほかのユーザーも書き込める"
              "ため、使えません。\r[ " +
                  path + " ]"};
    return false;
  }
  device_ = st.st_dev;
  if (access != Access::Look && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    status = StatusFromErrno(errno == EWOULDBLOCK ? kErrLocked : errno);
    return false;
  }
  return true;
}

std::string JournalFolder::fileName(uint64_t number) const {
  return path_ + "/" + std::to_string(number);
}

std::optional<JournalIndex> JournalFolder::readIndex() const {
  const int fd = ::openat(fd_, kUndoIndexName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !Private(st) ||
      static_cast<uint64_t>(st.st_size) > kIndexMaxBytes) {
    ::close(fd);
    return std::nullopt;
  }
  std::string text;
  const bool read = ReadAll({LimitedTo(InputFromDescriptor(fd), kIndexMaxBytes), {}}, text);
  if (!read) return std::nullopt;
  return ParseJournal(text);
}

void JournalFolder::clear() {
  ::unlinkat(fd_, kUndoIndexName, 0);
  const int listing = ::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return;
  DIR* dir = ::fdopendir(listing);
  if (dir == nullptr) {
    ::close(listing);
    return;
  }
  std::vector<std::string> names;
  while (const dirent* e = ::readdir(dir)) {
    if (JournalName(e->d_name)) names.emplace_back(e->d_name);
  }
  ::closedir(dir);
  for (const std::string& name : names) ::unlinkat(fd_, name.c_str(), 0);
}

std::optional<JournalIndex> ReadJournalIndex(const std::string& path) {
  JournalFolder folder;
  FileStatus status;
  if (!folder.open(path, JournalFolder::Access::Look, status)) return std::nullopt;
  return folder.readIndex();
}

bool KeptFileState(const JournalFolder& folder, uint64_t number, KeptState& state) {
  struct stat st;
  if (::fstatat(folder.fd(), std::to_string(number).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISREG(st.st_mode))
    return false;
  state.id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  state.times.accessed = st.st_atim;
  state.times.modified = st.st_mtim;
  state.size = static_cast<uint64_t>(st.st_size);
  state.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  state.links = static_cast<uint64_t>(st.st_nlink);
  return true;
}

}  // namespace kadrel
