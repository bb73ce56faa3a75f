// One file's change as a preview shows it: the file's text before and after the
// run (UTF-16 files as UTF-8), split into lines, the changes between them, and
// the changes grouped with the lines around them into hunks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "run/preview/line_diff.h"
#include "text/code_page.h"

namespace kadrel {

class FileDiff {
 public:
  // newFile: a result file the run would write; its old text is empty and every
  // line is new.
  FileDiff(std::string path, bool newFile, CodePage codePage, std::string oldText,
           std::string newText);
  FileDiff(const FileDiff&) = delete;  // the lines point into the texts
  FileDiff& operator=(const FileDiff&) = delete;

  const std::string& path() const { return path_; }
  bool newFile() const { return newFile_; }
  CodePage codePage() const { return codePage_; }
  const std::vector<std::string_view>& oldLines() const { return oldLines_; }
  const std::vector<std::string_view>& newLines() const { return newLines_; }
  const std::vector<LineChange>& changes() const { return changes_; }

  size_t removedLines() const;
  size_t addedLines() const;

 private:
  std::string path_;
  bool newFile_;
  CodePage codePage_;
  std::string oldText_, newText_;
  std::vector<std::string_view> oldLines_, newLines_;
  std::vector<LineChange> changes_;
};

// Changes near each other, shown together with up to context equal lines
// before, between and after them.
struct Hunk {
  size_t oldStart = 0, oldCount = 0;  // the old lines it shows
  size_t newStart = 0, newCount = 0;  // the new lines it shows
  size_t firstChange = 0, changeCount = 0;
};
std::vector<Hunk> GroupHunks(const FileDiff& diff, size_t context);

// The lines of a hunk in order: ' ' equal, '-' old, '+' new, with the index of
// the line on its side (equal lines: the old side's).
struct HunkLine {
  char kind;
  size_t index;
};
std::vector<HunkLine> LinesOf(const FileDiff& diff, const Hunk& hunk);

// The lines a view shows of a file's change, at most maxChanged of them changed
// ('-' or '+'): the hunks in order, each opened by a '@' line, with the line
// numbers of both sides (from 1; 0 where the line has none).
struct ViewLine {
  char kind;  // '@' a hunk starts, ' ' equal, '-' old, '+' new
  size_t oldNumber = 0, newNumber = 0;
  size_t hunk = 0;  // the hunk's index
};
struct ViewLines {
  std::vector<Hunk> hunks;
  std::vector<ViewLine> lines;
  size_t changesLeftOut = 0;  // changed lines not shown
};
ViewLines LinesToView(const FileDiff& diff, size_t context, size_t maxChanged);

}  // namespace kadrel
