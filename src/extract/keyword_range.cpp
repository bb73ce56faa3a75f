// Mode 3: copies the lines from a line containing the start keyword to a line
// containing the end keyword, both included. Ranges do not nest: a start keyword
// inside an open range only counts, and an end keyword outside one only counts.
#include "core/engine_loop.h"
#include "core/run_context.h"
#include "extract/extract_engines.h"
#include "extract/extraction_lines.h"
#include "extract/result_layout.h"
#include "extract/search_keyword.h"

namespace kadrel {

void ExtractKeywordRange(RunContext& ctx, const KeywordRangeParams& params) {
  const auto& [startKey, endKey] = params;
  EngineLoop loop(ctx, ctx.SelPath);
  std::optional<WildcardPattern> start = CompileKeyword(loop, startKey);
  if (!start) return;
  std::optional<WildcardPattern> end = CompileKeyword(loop, endKey);
  if (!end) return;

  ResultWriter result(loop);
  if (!result.writeRangeHeader(startKey, endKey)) return;

  ExtractionLines lines(loop);
  bool inRange = false;
  int64_t startHits = 0;
  int64_t endHits = 0;
  int64_t linesWritten = 0;
  while (lines.next()) {
    std::u32string_view text = lines.comparisonText();
    // The start test before the write and the end test after it: a range includes
    // the lines that open and close it.
    if (start->foundIn(text)) {
      inRange = true;
      ++startHits;
    }
    if (inRange) {
      if (!result.writeBody(lines.number(), lines.bytes())) return;
      ++linesWritten;
    }
    if (end->foundIn(text)) {
      inRange = false;
      ++endHits;
    }
    if (!loop.yield()) return;
  }
  if (!loop.finished()) return;
  result.writeRangeTrailer(startHits, endHits, linesWritten);
}

}  // namespace kadrel
