// One file's change as it streams: the lines of a comparison grouped into hunks,
// each change with up to context equal lines before, between and after, as
// diff -u groups them, and handed to a PreviewSink. Only the equal lines that
// may become context are held.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "run/preview/preview_run.h"
#include "run/preview/stream_diff.h"

namespace kadrel {

// The equal lines shown around each change.
inline constexpr size_t kDiffContext = 3;

class HunkGrouper : public LineWalk {
 public:
  HunkGrouper(ChangedFile file, PreviewSink& sink, size_t context = kDiffContext);
  void line(char kind, std::string_view text) override;
  // Reports the file though no line of it changed (its bytes did).
  void startFile();
  // After the last line: the last hunk given, and the file's end once it
  // started. incomplete: the comparison ended early (the file is reported).
  void finish(bool incomplete = false);
  bool started() const { return started_; }

 private:
  void give(char kind, std::string_view text);
  void giveHeld(size_t count);

  ChangedFile file_;
  PreviewSink& sink_;
  size_t context_;
  bool started_ = false, inHunk_ = false;
  size_t oldLine_ = 0, newLine_ = 0;  // lines walked on each side
  Hunk hunk_;
  // The last equal lines (after a hunk's last change: all of them, up to
  // 2 * context), oldest first from first_, in a ring that keeps its strings.
  std::vector<std::string> held_;
  size_t first_ = 0, heldCount_ = 0;
};

}  // namespace kadrel
