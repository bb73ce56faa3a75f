#include "run/undo/journal_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace kadrel {

namespace {
// Past this the index is no index of ours (a line per replaced file).
constexpr size_t kIndexMaxBytes = size_t{256} << 20;
}  // namespace

std::string UndoFolderOf(const std::string& programFolder) {
  return programFolder + "/" + kUndoFolderName;
}

JournalFolder::~JournalFolder() {
  if (fd_ >= 0) ::close(fd_);  // releases the lock
}

bool JournalFolder::open(const std::string& path, bool create, FileStatus& status) {
  path_ = path;
  if (create && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    status = StatusFromErrno(errno);
    return false;
  }
  fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd_ < 0) {
    status = StatusFromErrno(errno == ELOOP ? kErrLinkAtName : errno);
    return false;
  }
  struct stat st;
  if (::fstat(fd_, &st) != 0 || st.st_uid != ::geteuid()) {
    // Somebody else's folder is never the place of our journal.
    status = StatusFromErrno(EACCES);
    return false;
  }
  device_ = st.st_dev;
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    status = StatusFromErrno(errno == EWOULDBLOCK ? kErrLocked : errno);
    return false;
  }
  return true;
}

std::string JournalFolder::fileName(uint64_t number) const {
  return path_ + "/" + std::to_string(number);
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
    const std::string_view name = e->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  for (const std::string& name : names) ::unlinkat(fd_, name.c_str(), 0);
}

std::optional<JournalIndex> ReadJournalIndex(const std::string& path) {
  std::string text;
  if (!ReadBoundedFile(path + "/" + kUndoIndexName, kIndexMaxBytes, text).ok()) return std::nullopt;
  return ParseJournal(text);
}

bool KeptFileState(const JournalFolder& folder, uint64_t number, uint64_t& size,
                   int64_t& modified) {
  struct stat st;
  if (::fstatat(folder.fd(), std::to_string(number).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISREG(st.st_mode))
    return false;
  size = static_cast<uint64_t>(st.st_size);
  modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return true;
}

}  // namespace kadrel
