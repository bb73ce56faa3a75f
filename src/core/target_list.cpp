#include "core/target_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <set>
#include <utility>

#include "core/file_naming.h"
#include "core/run_options.h"
#include "io/file_layer.h"
#include "text/case_fold.h"
#include "text/strings.h"
#include "text/utf.h"

namespace kadrel {

namespace {

std::u32string Folded(std::string_view utf8) {
  std::u32string s = Utf8ToU32(utf8);
  FoldCaseInPlace(s);
  return s;
}

// The name from its first dot on, the dot included; empty without a dot.
std::string ExtensionOf(const std::string& name) {
  const size_t dot = name.find('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

enum class EntryKind { File, Folder, Other, Missing, TooLong };

EntryKind KindFromMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::File;
  if (S_ISDIR(mode)) return EntryKind::Folder;
  return EntryKind::Other;
}

EntryKind KindOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0)
    return errno == ENAMETOOLONG ? EntryKind::TooLong : EntryKind::Missing;
  return KindFromMode(st.st_mode);
}

// A path the system cannot open by name; the entries of a folder are found
// without their full path, so a deep tree meets this below its folders.
bool TooLongForTheSystem(const std::string& path) {
  return path.size() >= PATH_MAX;
}

struct FolderEntry {
  std::string name;
  std::u32string sortKey;  // the name upper-cased code point by code point
  bool folder = false;
  FileId id;  // a folder's, as its parent lists it
};

FileId IdOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

bool ByNameIgnoringCase(const FolderEntry& a, const FolderEntry& b) {
  if (a.sortKey != b.sortKey) return a.sortKey < b.sortKey;
  return a.name < b.name;  // names differing only in case: a fixed order all the same
}

// One drop: adds files that pass the filter until the list is full.
class DropScan {
 public:
  DropScan(const DropFilter& filter, TargetListResult& result, size_t maxEntries)
      : filter_(filter), result_(result), maxEntries_(maxEntries) {}

  bool full() const { return result_.truncated; }

  // folder ends in "/"; scanRoot: see TargetListResult.
  void addFile(const std::string& folder, const std::string& name, size_t scanRoot,
               const std::shared_ptr<const DroppedFolder>& dropped = nullptr) {
    if (full() || !filter_.accepts(name, ExtensionOf(name))) return;
    std::string path = folder + name;
    if (TooLongForTheSystem(path)) return noteTooLong(std::move(path));
    if (result_.paths.size() >= maxEntries_) {
      result_.truncated = true;
      return;
    }
    result_.paths.push_back(std::move(path));
    result_.scanRoots.push_back(scanRoot);
    result_.droppedFolders.push_back(dropped);
  }

  void noteTooLong(std::string path) { result_.tooLong.push_back(std::move(path)); }

  // A dropped folder (followed if it is a link): opened once, every folder of its
  // tree scanned once through it.
  void addDroppedFolder(const std::string& folder) {
    if (TooLongForTheSystem(folder)) return noteTooLong(folder);
    int error = 0;
    std::shared_ptr<DroppedFolder> dropped = DroppedFolder::Open(folder, error);
    if (!dropped) {
      if (error == ENAMETOOLONG) noteTooLong(folder);
      return;
    }
    visited_.clear();
    visited_.insert(dropped->id());
    const std::string& root = dropped->path();
    addFolderFiles(*dropped, ::dup(dropped->fd()), root, dropped);
  }

 private:
  // Lists the folder open at fd (which it closes), then its subfolders, each
  // opened from it.
  void addFolderFiles(DroppedFolder& dropped, int fd, const std::string& folder,
                      const std::shared_ptr<const DroppedFolder>& pin) {
    std::vector<FolderEntry> entries;
    if (!readFolder(fd, entries)) {
      if (fd >= 0) ::close(fd);
      return;
    }
    std::sort(entries.begin(), entries.end(), ByNameIgnoringCase);
    const size_t root = dropped.path().size();
    for (const FolderEntry& e : entries) {
      if (full()) break;
      if (!e.folder) {
        addFile(folder, e.name, root, pin);
        continue;
      }
      const std::string sub = folder + e.name + "/";
      if (TooLongForTheSystem(sub)) {
        noteTooLong(sub);
        continue;
      }
      // Skipped unless it is the very folder that was listed (no link or other
      // folder was put at its name meanwhile), and seen once.
      const int subFd =
          ::openat(fd, e.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      struct stat st;
      if (subFd < 0) continue;
      if (::fstat(subFd, &st) != 0 || IdOf(st) != e.id || !visited_.insert(e.id).second) {
        ::close(subFd);
        continue;
      }
      dropped.noteFolder(sub.substr(root), e.id);
      addFolderFiles(dropped, subFd, sub, pin);
    }
    ::close(fd);
  }

  // Reads the ordinary files and folders of the folder open at fd, hidden ones
  // left out. False when it cannot be read.
  bool readFolder(int fd, std::vector<FolderEntry>& entries) {
    const int listing = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return false;
    DIR* dir = ::fdopendir(listing);
    if (dir == nullptr) {
      ::close(listing);
      return false;
    }
    while (const dirent* d = ::readdir(dir)) {
      if (d->d_name[0] == '.') continue;  // ".", ".." and hidden entries
      // A link is not followed: it may lead out of the dropped folder.
      if (d->d_type != DT_REG && d->d_type != DT_DIR && d->d_type != DT_UNKNOWN) continue;
      FolderEntry e;
      if (d->d_type != DT_REG) {
        struct stat entry;
        if (::fstatat(::dirfd(dir), d->d_name, &entry, AT_SYMLINK_NOFOLLOW) != 0) continue;
        const EntryKind kind = KindFromMode(entry.st_mode);
        if (kind != EntryKind::File && kind != EntryKind::Folder) continue;
        e.folder = kind == EntryKind::Folder;
        e.id = IdOf(entry);
      }
      e.name = d->d_name;
      e.sortKey = Utf8ToU32(e.name);
      ToUpperInPlace(e.sortKey);
      entries.push_back(std::move(e));
    }
    ::closedir(dir);
    return true;
  }

  const DropFilter& filter_;
  TargetListResult& result_;
  const size_t maxEntries_;
  std::set<FileId> visited_;
};

// A dropped path split into folder (ending in "/") and name; name empty for a folder.
void SplitDroppedPath(const std::string& path, std::string& folder, std::string& name) {
  FNameEdit split;
  split.ifaFullPath = path;
  split.cFNameEdit();
  folder = split.ifaDirName;
  name = split.ifaFileName;
}

}  // namespace

DropFilter::DropFilter(const RunOptions& options)
    : dropAllExt_(ContainsIgnoreCase(options.SelSts, "*.*")),
      selSts_(Folded(options.SelSts)),
      fstChrBk_(Folded(options.FstChrBk)),
      lstChrBk_(Folded(options.LstChrBk)),
      fstChr_(Folded(options.FstChr)),
      lstChr_(Folded(options.LstChr)) {}

bool DropFilter::accepts(const std::string& name, const std::string& extension) const {
  if (IsTemporaryName(name)) return false;
  // The extension is looked for anywhere in the pattern text: a plain substring
  // search, so ".tx" passes against "*.txt" and a name without a dot always passes.
  if (!dropAllExt_ && !extension.empty() && selSts_.find(Folded(extension)) == std::u32string::npos)
    return false;
  // Backup copies and extraction results carry their affixes around the whole
  // name, extension included.
  const std::u32string n = Folded(name);
  if (!fstChrBk_.empty() && n.starts_with(fstChrBk_)) return false;
  if (!lstChrBk_.empty() && n.ends_with(lstChrBk_)) return false;
  if (!fstChr_.empty() && n.starts_with(fstChr_)) return false;
  if (!lstChr_.empty() && n.ends_with(lstChr_)) return false;
  return true;
}

std::vector<std::string> LeftOutNotes(const TargetListResult& result) {
  std::vector<std::string> notes;
  const std::vector<std::string>& paths = result.tooLong;
  if (!paths.empty()) {
    constexpr size_t kShown = 3;
    std::string text = "パス名が長すぎるため、次のファイル・フォルダーを対象に加えていません。";
    for (size_t i = 0; i < paths.size() && i < kShown; ++i) text += "\r[ " + paths[i] + "]";
    if (paths.size() > kShown) text += "\rほか " + std::to_string(paths.size() - kShown) + " 件";
    notes.push_back(std::move(text));
  }
  if (result.truncated) notes.push_back(kTargetListFullText);
  return notes;
}

TargetListResult BuildTargetList(const std::vector<std::string>& droppedPaths,
                                 const RunOptions& options, size_t maxEntries) {
  TargetListResult result;
  const DropFilter filter(options);
  DropScan scan(filter, result, maxEntries);
  for (const std::string& path : droppedPaths) {
    if (scan.full()) break;
    if (path.empty()) continue;
    std::string folder, name;
    SplitDroppedPath(path, folder, name);
    if (!name.empty()) {
      // A path that names something other than a file or folder (a device, a
      // pipe) is never a target; a missing one is listed and reported by the run.
      const EntryKind kind = KindOf(path);
      if (kind == EntryKind::Other) continue;
      if (kind == EntryKind::TooLong) {
        scan.noteTooLong(path);
        continue;
      }
      scan.addFile(folder, name, 0);
    } else if (!folder.empty()) {
      scan.addDroppedFolder(folder);
    }
  }
  return result;
}

}  // namespace kadrel
