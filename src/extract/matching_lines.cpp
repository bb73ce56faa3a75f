// Mode 4: copies the lines that satisfy up to three search strings joined by AND/OR.
#include <algorithm>
#include <array>

#include "core/engine_loop.h"
#include "extract/extract_engines.h"
#include "extract/extraction_lines.h"
#include "extract/result_layout.h"
#include "extract/search_expression.h"
#include "extract/search_keyword.h"

namespace kadrel {

namespace {

using Patterns = std::array<std::optional<WildcardPattern>, 3>;
using Finders = std::array<std::optional<KeywordFinder>, 3>;

// A line longer than the reading buffer, decided as its parts come: held until
// the condition holds (then written, and the rest as it comes) or the line ends.
bool ExtractLongLine(ExtractionLines& lines, ResultWriter& result, EngineLoop& loop,
                     const SearchExpression& expression, Finders& finders, bool& written) {
  std::array<std::optional<KeywordFinder::Search>, 3> searches;
  bool needed = false;  // the parts' characters
  for (size_t k = 0; k < finders.size(); ++k) {
    if (!finders[k]) continue;
    searches[k].emplace(*finders[k]);
    needed = needed || searches[k]->needsCharacters();
  }
  std::string held;
  written = false;
  bool ok = true;
  auto part = [&](std::string_view bytes, bool last, std::u32string_view chars) {
    if (!written) {
      held.append(bytes);
      for (auto& search : searches) {
        if (search) search->feed(bytes, last, chars);
      }
      // Hits only ever appear: once the condition holds, it holds for the line.
      written =
          EvaluateSearch(expression, [&](int k) { return searches[k] && searches[k]->found(); });
      if (!written) {
        return std::any_of(searches.begin(), searches.end(),
                           [](const auto& search) { return search && search->needsCharacters(); });
      }
      ok = result.beginBody(lines.number()) && loop.writeBytes(held);
      held.clear();
      return false;
    }
    ok = ok && loop.writeBytes(bytes);
    return false;
  };
  const bool read = lines.readParts(needed, part);
  return read && ok && (!written || loop.endLine());
}

}  // namespace

void ExtractMatchingLines(EngineIo& io, const MatchingLinesParams& params) {
  const auto& [first, second, third, firstIsAnd, secondIsAnd] = params;
  EngineLoop loop(io);
  const SearchExpression expression =
      BuildSearchExpression(first, second, third, firstIsAnd, secondIsAnd);

  // An empty string never hits; it has no pattern.
  Patterns patterns;
  const std::array<const std::u32string*, 3> strings = {&first, &second, &third};
  for (size_t k = 0; k < strings.size(); ++k) {
    if (strings[k]->empty()) continue;
    patterns[k] = CompileKeyword(loop, *strings[k]);
    if (!patterns[k]) return;
  }

  ResultWriter result(loop);
  if (!result.writeMatchHeader(expression.text)) return;

  ExtractionLines lines(loop);
  // The prefilter: the needles of the strings that have one. Lines in which none
  // finds a candidate are passed over, unless the condition can hold without the
  // strings that have one (an OR with a string that has none).
  Finders finders;
  for (size_t k = 0; k < patterns.size(); ++k) {
    if (patterns[k]) finders[k].emplace(lines.finderFor(*patterns[k]));
  }
  NeedleSet filter;
  if (!EvaluateSearch(expression, [&](int k) { return finders[k] && !finders[k]->needle(); })) {
    for (const auto& finder : finders) {
      if (finder && finder->needle()) filter.add(*finder->needle());
    }
  }

  int64_t linesWritten = 0;
  for (;;) {
    if (!filter.empty() && !lines.pass(filter, EngineLoop::Pass::Drop)) return;
    if (!lines.next()) break;
    if (lines.whole()) {
      auto hit = [&](int k) { return finders[k] && lines.holds(*finders[k]); };
      if (EvaluateSearch(expression, hit)) {
        if (!result.writeBody(lines.number(), lines.bytes())) return;
        ++linesWritten;
      }
    } else {
      bool written = false;
      if (!ExtractLongLine(lines, result, loop, expression, finders, written)) return;
      if (written) ++linesWritten;
    }
    if (!loop.yield()) return;
  }
  if (!loop.finished()) return;
  result.writeMatchTrailer(linesWritten);
}

}  // namespace kadrel
