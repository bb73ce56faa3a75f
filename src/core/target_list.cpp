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
#include "core/text/case_fold.h"
#include "core/text/strings.h"
#include "core/text/utf.h"

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
};

bool ByNameIgnoringCase(const FolderEntry& a, const FolderEntry& b) {
  if (a.sortKey != b.sortKey) return a.sortKey < b.sortKey;
  return a.name < b.name;  // names differing only in case: a fixed order all the same
}

// One drop: adds files that pass the filter until the list is full.
class DropScan {
 public:
  DropScan(const DropFilter& filter, TargetListResult& result) : filter_(filter), result_(result) {}

  bool full() const { return result_.truncated; }

  // folder ends in "/".
  void addFile(const std::string& folder, const std::string& name) {
    if (full() || !filter_.accepts(name, ExtensionOf(name))) return;
    std::string path = folder + name;
    if (TooLongForTheSystem(path)) return noteTooLong(std::move(path));
    if (result_.paths.size() >= kMaxTargetEntries) {
      result_.truncated = true;
      return;
    }
    result_.paths.push_back(std::move(path));
  }

  void noteTooLong(std::string path) { result_.tooLong.push_back(std::move(path)); }

  // A dropped folder: every folder of its tree is scanned once, so that a symbolic
  // link back up the tree cannot make the scan go round for ever.
  void addDroppedFolder(const std::string& folder) {
    visited_.clear();
    addFolderFiles(folder);
  }

 private:
  void addFolderFiles(const std::string& folder) {
    std::vector<FolderEntry> entries;
    if (!readFolder(folder, entries)) return;
    std::sort(entries.begin(), entries.end(), ByNameIgnoringCase);
    for (const FolderEntry& e : entries) {
      if (full()) return;
      if (e.folder) {
        addFolderFiles(folder + e.name + "/");
      } else {
        addFile(folder, e.name);
      }
    }
  }

  // Reads the ordinary files and folders of a folder, hidden ones left out. The
  // folder is closed before its subfolders are scanned, so deep trees do not hold
  // one descriptor per level. False when the folder cannot be read or was seen.
  bool readFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      if (errno == ENAMETOOLONG) noteTooLong(folder);
      return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !visited_.insert({st.st_dev, st.st_ino}).second) {
      ::close(fd);
      return false;
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
      ::close(fd);
      return false;
    }
    while (const dirent* d = ::readdir(dir)) {
      if (d->d_name[0] == '.') continue;  // ".", ".." and hidden entries
      EntryKind kind;
      switch (d->d_type) {
        case DT_REG:
          kind = EntryKind::File;
          break;
        case DT_DIR:
          kind = EntryKind::Folder;
          break;
        case DT_LNK:
        case DT_UNKNOWN: {
          // The type of what the link names (or, on file systems that do not
          // report types, of the entry itself); a dangling link is left out.
          struct stat target;
          kind = ::fstatat(::dirfd(dir), d->d_name, &target, 0) == 0 ? KindFromMode(target.st_mode)
                                                                     : EntryKind::Missing;
          break;
        }
        default:
          kind = EntryKind::Other;  // devices, pipes, sockets
          break;
      }
      if (kind != EntryKind::File && kind != EntryKind::Folder) continue;
      FolderEntry e;
      e.name = d->d_name;
      e.sortKey = Utf8ToU32(e.name);
      ToUpperInPlace(e.sortKey);
      e.folder = kind == EntryKind::Folder;
      entries.push_back(std::move(e));
    }
    ::closedir(dir);
    return true;
  }

  const DropFilter& filter_;
  TargetListResult& result_;
  std::set<std::pair<dev_t, ino_t>> visited_;
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
                                 const RunOptions& options) {
  TargetListResult result;
  const DropFilter filter(options);
  DropScan scan(filter, result);
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
      scan.addFile(folder, name);
    } else if (!folder.empty()) {
      scan.addDroppedFolder(folder);
    }
  }
  return result;
}

}  // namespace kadrel
