// Which lines of an old text become which lines of a new one.
//
// The diff is exact (applying it gives the new text) and close to the shortest:
// it looks for the fewest changes within a bounded distance of each difference
// (Myers' algorithm), so that it runs in time linear in the lines whatever the
// files hold. Beyond that distance it follows lines found again further on (a
// large block removed or added), or else the alignment reached so far.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace kadrel {

// The old lines [oldStart, oldStart + oldCount) give way to the new lines
// [newStart, newStart + newCount). One count may be 0 (lines only removed, or
// only added).
struct LineChange {
  size_t oldStart = 0;
  size_t oldCount = 0;
  size_t newStart = 0;
  size_t newCount = 0;
  bool operator==(const LineChange&) const = default;
};

// text split after each LF; a last piece without one is a line too. Each line
// keeps its line end, so that the lines joined give the text again.
std::vector<std::string_view> SplitAfterLf(std::string_view text);

// The changes that turn oldLines into newLines, in order; the lines between two
// changes (and before the first, after the last) are equal on both sides.
std::vector<LineChange> DiffLines(const std::vector<std::string_view>& oldLines,
                                  const std::vector<std::string_view>& newLines);

}  // namespace kadrel
