// Two texts compared line by line as they are read, in step, holding a bounded
// window of lines of each: the memory a comparison takes does not grow with the
// files.
//
// Within a window the comparison is DiffLines'; texts that fit one window give
// its very changes. Longer texts are compared window by window: the changes in
// the first three quarters of a window are kept, and the next window starts where they
// end. A line found again further than a window ahead (lines moved far, or a
// block added or removed larger than a window) is not followed: the lines
// between are shown as removed and added, which rebuilds the new text all the
// same.
#pragma once

#include <cstddef>
#include <string_view>

#include "io/file_layer.h"

namespace kadrel {

// The lines of the comparison in order, each with its line end: equal lines,
// and for every change its removed lines, then its added lines. Adjacent
// changes are one change.
class LineWalk {
 public:
  virtual ~LineWalk() = default;
  virtual void line(char kind, std::string_view text) = 0;  // ' ', '-' or '+'
};

// How much of each text a window holds: up to lines lines or bytes bytes (at
// least one line however long).
struct DiffWindow {
  size_t lines = 20000;
  size_t bytes = size_t{4} << 20;
};

// Compares the rest of oldText with the rest of newText. False when a read
// failed (that text's lastError() tells why); the walk then ends early.
bool DiffStreams(InputFile& oldText, InputFile& newText, LineWalk& walk, DiffWindow window = {});

}  // namespace kadrel
