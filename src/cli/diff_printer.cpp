#include "cli/diff_printer.h"

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
  if (beforeWrite_) beforeWrite_();
  std::string text = display_.text(UnifiedDiffHeader(diff));
  if (colors_ == DiffColors::Terminal) {  // each header line in bold
    std::string bold;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
      end = text.find('\n', start);
      bold += "\033[1m" + text.substr(start, end - start) + "\033[m\n";
    }
    text = std::move(bold);
  }
  for (const Hunk& hunk : GroupHunks(diff, kDiffContext)) {
    AppendUnifiedHunk(diff, hunk, controls_, text, colors_);
    if (text.size() >= kWriteChunk) flush(text);
  }
  flush(text);
  if (ok_ && std::fflush(out_) != 0) ok_ = false;
}

}  // namespace kadrel::cli
