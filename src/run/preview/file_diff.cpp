#include "run/preview/file_diff.h"

#include <algorithm>
#include <utility>

namespace kadrel {

FileDiff::FileDiff(std::string path, bool newFile, CodePage codePage, std::string oldText,
                   std::string newText)
    : path_(std::move(path)),
      newFile_(newFile),
      codePage_(codePage),
      oldText_(std::move(oldText)),
      newText_(std::move(newText)) {
  oldLines_ = SplitAfterLf(oldText_);
  newLines_ = SplitAfterLf(newText_);
  if (oldText_ != newText_) changes_ = DiffLines(oldLines_, newLines_);
}

size_t FileDiff::removedLines() const {
  size_t n = 0;
  for (const LineChange& c : changes_) n += c.oldCount;
  return n;
}

size_t FileDiff::addedLines() const {
  size_t n = 0;
  for (const LineChange& c : changes_) n += c.newCount;
  return n;
}

std::vector<Hunk> GroupHunks(const FileDiff& diff, size_t context) {
  const std::vector<LineChange>& changes = diff.changes();
  const size_t oldSize = diff.oldLines().size();
  std::vector<Hunk> hunks;
  for (size_t c = 0; c < changes.size(); ++c) {
    const LineChange& change = changes[c];
    if (!hunks.empty()) {
      Hunk& last = hunks.back();
      const size_t lastEnd = changes[c - 1].oldStart + changes[c - 1].oldCount;
      if (change.oldStart - lastEnd <= 2 * context) {
        ++last.changeCount;
        continue;
      }
    }
    const size_t before = std::min(context, change.oldStart);
    hunks.push_back({change.oldStart - before, 0, change.newStart - before, 0, c, 1});
  }
  for (Hunk& hunk : hunks) {
    const LineChange& last = changes[hunk.firstChange + hunk.changeCount - 1];
    const size_t oldEnd = last.oldStart + last.oldCount;
    const size_t after = std::min(context, oldSize - oldEnd);
    hunk.oldCount = oldEnd + after - hunk.oldStart;
    hunk.newCount = last.newStart + last.newCount + after - hunk.newStart;
  }
  return hunks;
}

std::vector<HunkLine> LinesOf(const FileDiff& diff, const Hunk& hunk) {
  std::vector<HunkLine> lines;
  size_t at = hunk.oldStart;
  auto equalUpTo = [&](size_t end) {
    for (; at < end; ++at) lines.push_back({' ', at});
  };
  for (size_t c = hunk.firstChange; c < hunk.firstChange + hunk.changeCount; ++c) {
    const LineChange& change = diff.changes()[c];
    equalUpTo(change.oldStart);
    for (size_t i = 0; i < change.oldCount; ++i) lines.push_back({'-', change.oldStart + i});
    for (size_t i = 0; i < change.newCount; ++i) lines.push_back({'+', change.newStart + i});
    at = change.oldStart + change.oldCount;
  }
  equalUpTo(hunk.oldStart + hunk.oldCount);
  return lines;
}

ViewLines LinesToView(const FileDiff& diff, size_t context, size_t maxChanged) {
  ViewLines view;
  view.hunks = GroupHunks(diff, context);
  size_t shown = 0;
  for (size_t h = 0; h < view.hunks.size(); ++h) {
    const Hunk& hunk = view.hunks[h];
    size_t oldNumber = hunk.oldStart + 1, newNumber = hunk.newStart + 1;
    bool opened = false;
    for (const HunkLine& line : LinesOf(diff, hunk)) {
      const bool changed = line.kind != ' ';
      if (changed && shown == maxChanged) {
        ++view.changesLeftOut;
        continue;
      }
      if (shown == maxChanged) continue;  // context after the last change shown
      if (!opened) {
        view.lines.push_back({'@', 0, 0, h});
        opened = true;
      }
      switch (line.kind) {
        case ' ':
          view.lines.push_back({' ', oldNumber++, newNumber++, h});
          break;
        case '-':
          view.lines.push_back({'-', oldNumber++, 0, h});
          break;
        default:
          view.lines.push_back({'+', 0, newNumber++, h});
      }
      if (changed) ++shown;
    }
  }
  return view;
}

}  // namespace kadrel
