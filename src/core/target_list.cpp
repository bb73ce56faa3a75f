#include "core/target_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>
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
  DropScan(const DropFilter& filter, TargetListResult& result) : filter_(filter), result_(result) {}

  bool full() const { return result_.truncated; }

  // folder ends in "/"; scanRoot: see TargetListResult.
  void addFile(const std::string& folder, const std::string& name, size_t scanRoot) {
    if (full() || !filter_.accepts(name, ExtensionOf(name))) return;
    std::string path = folder + name;
    if (TooLongForTheSystem(path)) return noteTooLong(std::move(path));
    if (result_.paths.size() >= kMaxTargetEntries) {
      result_.truncated = true;
      return;
    }
    result_.paths.push_back(std::move(path));
    result_.scanRoots.push_back(scanRoot);
  }

  void noteTooLong(std::string path) { result_.tooLong.push_back(std::move(path)); }

  // A dropped folder (followed if it is a link): every folder of its tree is
  // scanned once.
  void addDroppedFolder(const std::string& folder) {
    visited_.clear();
    addFolderFiles(folder, std::nullopt, folder.size());
  }

 private:
  void addFolderFiles(const std::string& folder, std::optional<FileId> listedAs, size_t root) {
    std::vector<FolderEntry> entries;
    if (!readFolder(folder, listedAs, entries)) return;
    std::sort(entries.begin(), entries.end(), ByNameIgnoringCase);
    for (const FolderEntry& e : entries) {
      if (full()) return;
      if (e.folder) {
        addFolderFiles(folder + e.name + "/", e.id, root);
      } else {
        addFile(folder, e.name, root);
      }
    }
  }

  // Reads the ordinary files and folders of a folder, hidden ones left out. The
  // folder is closed before its subfolders are scanned, so deep trees do not hold
  // one descriptor per level: a subfolder is opened by its path, and skipped
  // unless it is the very folder its parent listed (no link was put in its path
  // meanwhile). False when the folder cannot be read or was seen.
  bool readFolder(const std::string& folder, std::optional<FileId> listedAs,
                  std::vector<FolderEntry>& entries) {
    const int fd =
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (listedAs ? O_NOFOLLOW : 0));
    if (fd < 0) {
      if (errno == ENAMETOOLONG) noteTooLong(folder);
      return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || (listedAs && *listedAs != IdOf(st)) ||
        !visited_.insert(IdOf(st)).second) {
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
      scan.addFile(folder, name, 0);
    } else if (!folder.empty()) {
      scan.addDroppedFolder(folder);
    }
  }
  return result;
}

}  // namespace kadrel
