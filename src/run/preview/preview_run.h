// A preview of a run: the very run that START (or kadrel-cli) would make, over a
// file layer that reads the real files and keeps every write to itself. Nothing
// is written, created or removed in the user's folders: no backup copy, no
// result file, no temporary; what the run would leave goes to a PreviewSink,
// file by file, as the run finishes each. Boxes go to the run context's Host as
// in a run.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/code_page.h"

namespace kadrel {

// A file the run would change: a target, or a result file it would write
// (newFile: its old text is empty and every line is new), with the lines its
// change removes and adds (counted as the hunks go).
struct ChangedFile {
  std::string path;
  bool newFile = false;
  CodePage codePage = CodePage::UTF8;  // of its lines (UTF-16 files: UTF-8)
  size_t removed = 0, added = 0;
  // A read failed before the comparison was through: changes after the last
  // hunk given may be missing.
  bool incomplete = false;
};

// Changed lines near each other, shown with the equal lines around them: the
// old lines [oldStart, oldStart + oldCount) and the new ones it shows (from 0).
struct Hunk {
  size_t oldStart = 0, oldCount = 0;
  size_t newStart = 0, newCount = 0;
};

class PreviewSink {
 public:
  virtual ~PreviewSink() = default;
  // A file whose change follows: hunkLine for each line of a hunk, hunkDone
  // once its lines are given, and fileDone after the last. In the order the run
  // would write the files. A target the run would leave as it is (or rewrite
  // with the same bytes) is not reported.
  virtual void fileStarted(const ChangedFile& file) = 0;
  // A line of the hunk being given: ' ' equal, '-' removed, '+' added, its line
  // numbers on both sides (from 1; 0 on the side it is not on), the line with
  // its line end.
  virtual void hunkLine(char kind, size_t oldNumber, size_t newNumber, std::string_view line) = 0;
  virtual void hunkDone(const Hunk& hunk) = 0;
  virtual void fileDone(const ChangedFile& file) = 0;
};

}  // namespace kadrel
