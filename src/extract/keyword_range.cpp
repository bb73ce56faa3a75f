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
                   KeywordFinder& start, KeywordFinder& end, RangeState& state) {
  KeywordFinder::Search startSearch(start), endSearch(end);
  bool writing = state.inRange;
  bool ok = !writing || result.beginBody(lines.number());
  std::string held;
  auto part = [&](std::string_view bytes, bool last, std::u32string_view chars) {
    if (startSearch.feed(bytes, last, chars) && !writing) {
      writing = true;
      ok = ok && result.beginBody(lines.number()) && loop.writeBytes(held);
      held.clear();
    }
    endSearch.feed(bytes, last, chars);
    if (writing) {
      ok = ok && loop.writeBytes(bytes);
    } else {
      held.append(bytes);
    }
    return startSearch.needsCharacters() || endSearch.needsCharacters();
  };
  const bool needed = startSearch.needsCharacters() || endSearch.needsCharacters();
  if (!lines.readParts(needed, part) || !ok) return false;
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
  KeywordFinder startFinder = lines.finderFor(*start);
  KeywordFinder endFinder = lines.finderFor(*end);
  // Keyword hits only count where the counts are written; elsewhere the end
  // keyword matters inside a range only and the start keyword outside one.
  const bool counting = result.additionalInformation();
  const bool lineNumbers = io.options.lineNumbers;
  // The prefilter. Outside a range a line in which the start keyword's needle
  // finds no candidate is dropped (its end keyword counted); inside one a line in
  // which the end keyword's needle finds none is copied (its start keyword counted).
  NeedleSet outside, inside;
  if (startFinder.needle()) outside.add(*startFinder.needle());
  if (endFinder.needle()) inside.add(*endFinder.needle());
  RangeState state;
  auto countEnd = [&](int64_t, std::string_view bytes) {
    if (lines.holdsIn(bytes, endFinder)) ++state.endHits;
    return true;
  };
  auto writeCountingStart = [&](int64_t number, std::string_view bytes) {
    if (counting && lines.holdsIn(bytes, startFinder)) ++state.startHits;
    return result.writeBody(number, bytes);
  };

  for (;;) {
    if (!state.inRange && !outside.empty()) {
      if (!(counting ? lines.pass(outside, countEnd) : lines.pass(outside, EngineLoop::Pass::Drop)))
        return;
    } else if (state.inRange && !inside.empty()) {
      const int64_t before = lines.number();
      const bool passed = !counting && !lineNumbers ? lines.pass(inside, EngineLoop::Pass::Copy)
                                                    : lines.pass(inside, writeCountingStart);
      state.linesWritten += lines.number() - before;
      if (!passed) return;
    }
    if (!lines.next()) break;
    if (lines.whole()) {
      // Inside a range the start keyword only counts, outside one the end keyword.
      const bool startHit = (!state.inRange || counting) && lines.holds(startFinder);
      if (state.opens(startHit)) {
        if (!result.writeBody(lines.number(), lines.bytes())) return;
        ++state.linesWritten;
      }
      state.closes((state.inRange || counting) && lines.holds(endFinder));
    } else if (!RangeLongLine(lines, result, loop, startFinder, endFinder, state)) {
      return;
    }
    if (!loop.yield()) return;
  }
  if (!loop.finished()) return;
  result.writeRangeTrailer(state.startHits, state.endHits, state.linesWritten);
}

}  // namespace kadrel
