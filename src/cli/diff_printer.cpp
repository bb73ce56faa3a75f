#include "cli/diff_printer.h"

#include <vector>

namespace kadrel::cli {

namespace {
// The lines gathered before they join the hunk held.
constexpr size_t kLinesChunk = size_t{1} << 20;
// The hunk held in memory; the rest in a temporary file.
constexpr size_t kHunkInMemory = size_t{8} << 20;
}  // namespace

DiffPrinter::DiffPrinter(std::FILE* out, Controls controls, DiffColors colors,
                         const PathDisplay& display, std::function<void()> beforeWrite)
    : out_(out),
      controls_(controls),
      colors_(colors),
      display_(display),
      beforeWrite_(std::move(beforeWrite)),
      hunk_(kHunkInMemory) {}

void DiffPrinter::write(std::string_view text) {
  if (ok_ && std::fwrite(text.data(), 1, text.size(), out_) != text.size()) ok_ = false;
}

void DiffPrinter::fileStarted(const ChangedFile& file) {
  if (beforeWrite_) beforeWrite_();
  codePage_ = file.codePage;
  std::string text = display_.text(UnifiedDiffHeader(file));
  if (colors_ == DiffColors::Terminal) {  // each header line in bold
    std::string bold;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
      end = text.find('\n', start);
      bold += "\033[1m" + text.substr(start, end - start) + "\033[m\n";
    }
    text = std::move(bold);
  }
  write(text);
}

void DiffPrinter::hunkLine(char kind, size_t, size_t, std::string_view line) {
  AppendHunkLine(kind, line, codePage_, controls_, colors_, lines_);
  if (lines_.size() >= kLinesChunk) {
    hunk_.append(lines_);
    lines_.clear();
  }
}

void DiffPrinter::hunkDone(const Hunk& hunk) {
  std::string header;
  AppendHunkHeader(hunk, colors_, header);
  write(header);
  if (!hunk_.empty()) {
    std::unique_ptr<InputFile> held = hunk_.read();
    std::vector<char> piece(kLinesChunk);
    for (long r; (r = held->read(piece.data(), piece.size())) != 0;) {
      if (r < 0) {  // the temporary file failed: the diff cannot be whole
        ok_ = false;
        break;
      }
      write({piece.data(), static_cast<size_t>(r)});
    }
    hunk_.clear();
  }
  write(lines_);
  lines_.clear();
}

void DiffPrinter::fileDone(const ChangedFile& file) {
  if (ok_ && std::fflush(out_) != 0) ok_ = false;
  if (file.incomplete) {
    std::fprintf(stderr, "%s: 読み込みに失敗したため、差分は途中までです。\n",
                 display_.text(file.path).c_str());
    ok_ = false;
  }
}

}  // namespace kadrel::cli
