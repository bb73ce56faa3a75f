#include "run/preview/file_diff.h"

#include <algorithm>
#include <utility>

namespace kadrel {

HunkGrouper::HunkGrouper(ChangedFile file, PreviewSink& sink, size_t context)
    : file_(std::move(file)), sink_(sink), context_(context), held_(2 * context + 1) {}

void HunkGrouper::give(char kind, std::string_view text) {
  const size_t oldNumber = hunk_.oldStart + hunk_.oldCount + 1;
  const size_t newNumber = hunk_.newStart + hunk_.newCount + 1;
  if (kind != '+') ++hunk_.oldCount;
  if (kind != '-') ++hunk_.newCount;
  sink_.hunkLine(kind, kind == '+' ? 0 : oldNumber, kind == '-' ? 0 : newNumber, text);
}

// The oldest count equal lines held, given as part of the hunk.
void HunkGrouper::giveHeld(size_t count) {
  for (size_t k = 0; k < count; ++k) {
    give(' ', held_[first_]);
    first_ = (first_ + 1) % held_.size();
    --heldCount_;
  }
}

void HunkGrouper::line(char kind, std::string_view text) {
  if (kind == ' ') {
    ++oldLine_, ++newLine_;
    held_[(first_ + heldCount_) % held_.size()].assign(text);
    ++heldCount_;
    if (inHunk_ && heldCount_ > 2 * context_) {  // too far from the next change
      giveHeld(context_);
      sink_.hunkDone(hunk_);
      inHunk_ = false;
    }
    if (!inHunk_ && heldCount_ > context_) {
      first_ = (first_ + heldCount_ - context_) % held_.size();
      heldCount_ = context_;
    }
    return;
  }
  if (!inHunk_) {
    startFile();
    inHunk_ = true;
    hunk_ = {oldLine_ - heldCount_, 0, newLine_ - heldCount_, 0};
  }
  giveHeld(heldCount_);
  give(kind, text);
  if (kind == '-') {
    ++oldLine_;
    ++file_.removed;
  } else {
    ++newLine_;
    ++file_.added;
  }
}

void HunkGrouper::startFile() {
  if (!started_) sink_.fileStarted(file_);
  started_ = true;
}

void HunkGrouper::finish(bool incomplete) {
  if (inHunk_) {
    giveHeld(std::min(context_, heldCount_));
    sink_.hunkDone(hunk_);
    inHunk_ = false;
  }
  file_.incomplete = incomplete;
  if (incomplete) startFile();
  if (started_) sink_.fileDone(file_);
}

}  // namespace kadrel
