// The target file list built from a drop of files and folders: the drop filter
// (extension patterns and the affixes of the program's own output files) and the
// depth-first folder scan. The window and kadrel-cli both build their list here.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "io/file_layer.h"

namespace kadrel {

struct RunOptions;

// The window's list holds at most this many entries (its count is a 16-bit
// number); kadrel-cli takes any number.
inline constexpr size_t kMaxTargetEntries = 32767;
inline constexpr size_t kAnyNumberOfEntries = static_cast<size_t>(-1);

// Told to the user when a drop yields more files than the list holds.
inline constexpr const char* kTargetListFullText =
    "対象ファイルが 32767 件を超えました。\r32768 件目以降のファイルは対象に加えていません。";

struct TargetListResult {
  std::vector<std::string> paths;  // full paths, in processing order
  // Per path, how far links in it may be followed when it is processed: a file
  // found by a folder scan follows none below the dropped folder (the length of
  // that folder's path); a file named as it is, 0.
  std::vector<size_t> scanRoots;
  // Per path, the dropped folder its scan opened (null for a file named as it
  // is): the run reaches the file through it.
  std::vector<std::shared_ptr<const DroppedFolder>> droppedFolders;
  bool truncated = false;  // more files passed than the list can hold (kMaxTargetEntries)
  // Files and folders left out because their path is longer than the system
  // allows, in the order met.
  std::vector<std::string> tooLong;
  // Files were left out that the user should hear of.
  bool leftOut() const { return truncated || !tooLong.empty(); }
};

// The texts of the boxes that tell the user of files left out: the paths too long
// for the system (the first few, then how many more), then a full list.
std::vector<std::string> LeftOutNotes(const TargetListResult& result);

// The drop filter, set up once per drop from the run options.
class DropFilter {
 public:
  explicit DropFilter(const RunOptions& options);

  // name: the file name with its extension; extension: the name from its first
  // dot on (empty when the name has no dot).
  bool accepts(const std::string& name, const std::string& extension) const;

 private:
  bool dropAllExt_;
  std::u32string selSts_;  // case-folded
  std::u32string fstChrBk_, lstChrBk_, fstChr_, lstChr_;
};

// The list that a drop of these paths gives, in drop order: a file is listed when
// it passes the filter; a folder is replaced by its files, depth-first, each
// folder's entries sorted by name ignoring case. Inside folders, hidden entries
// (names beginning with "."), symbolic links, entries that are neither ordinary
// files nor folders and folders that cannot be read are left out, as is a folder
// swapped for another while the scan goes on; a dropped link is followed. Each
// dropped folder is opened once and its tree read through that descriptor, each
// folder opened from the one above it; the run reaches its files the same way. Empty
// paths are skipped; Kadrel's own temporary files are never listed. A path longer
// than the system allows (ENAMETOOLONG) is left out and noted in tooLong.
TargetListResult BuildTargetList(const std::vector<std::string>& droppedPaths,
                                 const RunOptions& options, size_t maxEntries = kMaxTargetEntries);

}  // namespace kadrel
