#include "core/target_list.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "core/file_naming.h"
#include "core/text/case_fold.h"
#include "core/text/utf.h"

namespace kadrel {

namespace {

std::u32string Folded(std::string_view utf8) {
  std::u32string s = Utf8ToU32(utf8);
  FoldCaseInPlace(s);
  return s;
}

struct FolderId {
  dev_t device;
  ino_t inode;
  bool operator==(const FolderId&) const = default;
};

struct Entry {
  std::u32string key;  // the name folded, for the order ignoring case
  std::string name;
  bool folder;
};

class FolderScan {
 public:
  FolderScan(const DropFilter& filter, std::vector<std::string>& out)
      : filter_(filter), out_(out) {}

  // Adds the files of folder (ending in "/") and of its subfolders. A folder that
  // is already being scanned further up (a link back into the tree) is skipped.
  void addFolderFiles(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) return;
    const FolderId id{st.st_dev, st.st_ino};
    if (std::find(chain_.begin(), chain_.end(), id) != chain_.end()) return;
    chain_.push_back(id);
    for (const Entry& e : listFolder(folder)) {
      if (e.folder) {
        addFolderFiles(folder + e.name + "/");
      } else if (filter_.accepts(e.name)) {
        out_.push_back(folder + e.name);
      }
    }
    chain_.pop_back();
  }

 private:
  // The folder's ordinary files and folders, hidden ones left out, sorted by name
  // ignoring case (names equal but for case in byte order).
  static std::vector<Entry> listFolder(const std::string& folder) {
    std::vector<Entry> entries;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) return entries;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
      if (ec) break;
      std::string name = it->path().filename().string();
      if (name.empty() || name[0] == '.') continue;
      std::error_code typeError;
      const bool isFolder = it->is_directory(typeError);
      if (!isFolder && !it->is_regular_file(typeError)) continue;
      entries.push_back({Folded(name), std::move(name), isFolder});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      if (a.key != b.key) return a.key < b.key;
      return a.name < b.name;
    });
    return entries;
  }

  const DropFilter& filter_;
  std::vector<std::string>& out_;
  std::vector<FolderId> chain_;
};

}  // namespace

DropFilter::DropFilter(const RunOptions& options)
    : allExtensions_(ContainsIgnoreCase(options.SelSts, "*.*")),
      patterns_(Folded(options.SelSts)),
      prefixes_{Folded(options.FstChrBk), Folded(options.FstChr)},
      suffixes_{Folded(options.LstChrBk), Folded(options.LstChr)} {}

bool DropFilter::accepts(std::string_view fileName) const {
  const std::u32string name = Folded(fileName);
  if (!allExtensions_) {
    const size_t dot = name.find(U'.');
    if (dot != std::u32string::npos &&
        patterns_.find(std::u32string_view(name).substr(dot)) == std::u32string::npos) {
      return false;
    }
  }
  for (const std::u32string& prefix : prefixes_) {
    if (!prefix.empty() && name.starts_with(prefix)) return false;
  }
  for (const std::u32string& suffix : suffixes_) {
    if (!suffix.empty() && name.ends_with(suffix)) return false;
  }
  return true;
}

std::vector<std::string> BuildTargetList(const std::vector<std::string>& droppedPaths,
                                         const RunOptions& options) {
  const DropFilter filter(options);
  std::vector<std::string> out;
  FolderScan scan(filter, out);
  for (const std::string& path : droppedPaths) {
    if (path.empty()) continue;
    FNameEdit name;
    name.ifaFullPath = path;
    name.cFNameEdit();
    if (!name.ifaFileName.empty()) {
      if (filter.accepts(name.ifaFileName)) out.push_back(name.ifaDirName + name.ifaFileName);
    } else if (!name.ifaDirName.empty()) {
      scan.addFolderFiles(name.ifaDirName);
    }
  }
  return out;
}

}  // namespace kadrel
