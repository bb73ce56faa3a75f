// Mode 4: copies the lines that satisfy up to three search strings joined by AND/OR.
#include <array>

#include "core/engine_loop.h"
#include "core/run_context.h"
#include "extract/extract_engines.h"
#include "extract/extraction_lines.h"
#include "extract/result_layout.h"
#include "extract/search_expression.h"
#include "extract/search_keyword.h"

namespace kadrel {

void ExtractMatchingLines(RunContext& ctx, const MatchingLinesParams& params) {
  const auto& [first, second, third, firstIsAnd, secondIsAnd] = params;
  EngineLoop loop(ctx, ctx.SelPath);
  const SearchExpression expression =
      BuildSearchExpression(first, second, third, firstIsAnd, secondIsAnd);

  // An empty string never hits; it has no pattern.
  std::array<std::optional<WildcardPattern>, 3> patterns;
  const std::array<const std::u32string*, 3> strings = {&first, &second, &third};
  for (size_t k = 0; k < strings.size(); ++k) {
    if (strings[k]->empty()) continue;
    patterns[k] = CompileKeyword(loop, *strings[k]);
    if (!patterns[k]) return;
  }

  ResultWriter result(loop);
  if (!result.writeMatchHeader(expression.text)) return;

  ExtractionLines lines(loop);
  int64_t linesWritten = 0;
  while (lines.next()) {
    std::u32string_view text = lines.comparisonText();
    auto hit = [&](int k) { return patterns[k] && patterns[k]->foundIn(text); };
    if (EvaluateSearch(expression, hit)) {
      if (!result.writeBody(lines.number(), lines.bytes())) return;
      ++linesWritten;
    }
    if (!loop.yield()) return;
  }
  if (!loop.finished()) return;
  result.writeMatchTrailer(linesWritten);
}

}  // namespace kadrel
