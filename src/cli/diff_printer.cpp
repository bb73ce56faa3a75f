#include "cli/diff_printer.h"

#include "run/preview/unified_diff.h"

namespace kadrel::cli {

namespace {
// The diff text gathered before it is written.
constexpr size_t kWriteChunk = size_t{1} << 20;
}  // namespace

void DiffPrinter::flush(std::string& text) {
  if (ok_ && std::fwrite(text.data(), 1, text.size(), out_) != text.size()) ok_ = false;
  text.clear();
}

void DiffPrinter::fileChanged(const FileDiff& diff) {
  std::string text = UnifiedDiffHeader(diff);
  for (const Hunk& hunk : GroupHunks(diff, kDiffContext)) {
    AppendUnifiedHunk(diff, hunk, controls_, text);
    if (text.size() >= kWriteChunk) flush(text);
  }
  flush(text);
  if (ok_ && std::fflush(out_) != 0) ok_ = false;
}

}  // namespace kadrel::cli
