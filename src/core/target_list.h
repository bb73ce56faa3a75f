// The target file list built from a drop of files and folders: the drop filter
// (extension patterns, the program's own backup and result files left out) and
// the depth-first folder scan. The window and kadrel-cli share it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/run_options.h"

namespace kadrel {

// The drop filter of one drop, prepared once from the run options.
class DropFilter {
 public:
  explicit DropFilter(const RunOptions& options);

  // Whether a file of this name (extension included) is listed: its extension
  // (from the name's first dot on) occurs in SelSts ignoring case, or SelSts holds
  // "*.*"; and the name neither begins with a non-empty prefix nor ends with a
  // non-empty suffix of the backup and result files, ignoring case.
  bool accepts(std::string_view fileName) const;

 private:
  bool allExtensions_;
  std::u32string patterns_;  // SelSts, case-folded
  std::u32string prefixes_[2];
  std::u32string suffixes_[2];
};

// The files of a drop, in order: a dropped file as it is (when it passes the
// filter), a dropped folder as the files of its whole tree, depth-first, each
// folder's entries sorted by name ignoring case, hidden entries (names beginning
// with ".") left out. Empty paths are skipped; unreadable folders add nothing.
std::vector<std::string> BuildTargetList(const std::vector<std::string>& droppedPaths,
                                         const RunOptions& options);

}  // namespace kadrel
