// Mode 3: copies the lines from a line containing the start keyword to a line
// containing the end keyword, both included. Ranges do not nest: a start keyword
// inside an open range only counts, and an end keyword outside one only counts.
#include "core/engine_loop.h"
#include "extract/extract_engines.h"
#include "extract/extraction_lines.h"
#include "extract/result_layout.h"
#include "extract/search_keyword.h"

namespace kadrel {

namespace {

struct RangeState {
  bool inRange = false;
  int64_t startHits = 0;
  int64_t endHits = 0;
  int64_t linesWritten = 0;

  // The start test before the write and the end test after it: a range includes
  // the lines that open and close it.
  bool opens(bool start) {
    if (start) {
      inRange = true;
      ++startHits;
    }
    return inRange;
  }
  void closes(bool end) {
    if (end) {
      inRange = false;
      ++endHits;
    }
  }
};

// A line longer than the reading buffer, decided as its parts come: inside a
// range it is written as it comes, else held until the start keyword is found in
// it (then written) or it ends.
bool RangeLongLine(ExtractionLines& lines, ResultWriter& result, EngineLoop& loop,
                   const WildcardPattern& start, const WildcardPattern& end, RangeState& state) {
  WildcardPattern::Search startSearch(start), endSearch(end);
  bool writing = state.inRange;
  bool ok = !writing || result.beginBody(lines.number());
  std::string held;
  const bool read = lines.readParts([&](std::string_view bytes, std::u32string_view chars) {
    if (startSearch.feed(chars) && !writing) {
      writing = true;
      ok = ok && result.beginBody(lines.number()) && loop.writeBytes(held);
      held.clear();
    }
    endSearch.feed(chars);
    if (writing) {
      ok = ok && loop.writeBytes(bytes);
    } else {
      held.append(bytes);
    }
    return !(startSearch.found() && endSearch.found());
  });
  if (!read || !ok) return false;
  if (state.opens(startSearch.found())) {
    if (!loop.endLine()) return false;
    ++state.linesWritten;
  }
  state.closes(endSearch.found());
  return true;
}

}  // namespace

void ExtractKeywordRange(EngineIo& io, const KeywordRangeParams& params) {
  const auto& [startKey, endKey] = params;
  EngineLoop loop(io);
  std::optional<WildcardPattern> start = CompileKeyword(loop, startKey);
  if (!start) return;
  std::optional<WildcardPattern> end = CompileKeyword(loop, endKey);
  if (!end) return;

  ResultWriter result(loop);
  if (!result.writeRangeHeader(startKey, endKey)) return;

  ExtractionLines lines(loop);
  // The prefilter: a line in which neither keyword's needle finds a candidate
  // changes no count; inside a range it is copied, outside it is dropped.
  const std::optional<ByteNeedle> startNeedle = lines.needleFor(*start);
  const std::optional<ByteNeedle> endNeedle = lines.needleFor(*end);
  NeedleSet filter;
  if (startNeedle && endNeedle) {
    filter.add(*startNeedle);
    filter.add(*endNeedle);
  }
  auto writeNumbered = [&](int64_t number, std::string_view bytes) {
    return result.writeBody(number, bytes);
  };
  const bool lineNumbers = io.options.lineNumbers;

  RangeState state;
  for (;;) {
    if (!filter.empty()) {
      const int64_t before = lines.number();
      const bool passed = !state.inRange ? lines.pass(filter, EngineLoop::Pass::Drop)
                          : !lineNumbers ? lines.pass(filter, EngineLoop::Pass::Copy)
                                         : lines.pass(filter, writeNumbered);
      if (state.inRange) state.linesWritten += lines.number() - before;
      if (!passed) return;
    }
    if (!lines.next()) break;
    if (lines.whole()) {
      std::u32string_view text = lines.comparisonText();
      if (state.opens(start->foundIn(text))) {
        if (!result.writeBody(lines.number(), lines.bytes())) return;
        ++state.linesWritten;
      }
      state.closes(end->foundIn(text));
    } else if (!RangeLongLine(lines, result, loop, *start, *end, state)) {
      return;
    }
    if (!loop.yield()) return;
  }
  if (!loop.finished()) return;
  result.writeRangeTrailer(state.startHits, state.endHits, state.linesWritten);
}

}  // namespace kadrel
