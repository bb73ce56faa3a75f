// The extraction engines: lines of ctx.in copied into the result file ctx.out,
// with the result file layout (header, ruler, body, counts, separator).
#pragma once

#include "core/step_params.h"

namespace kadrel {

struct RunContext;

// Mode 3: the lines from a line containing the start key to one containing the end key.
void ExtractKeywordRange(RunContext& ctx, const KeywordRangeParams& params);

// Mode 4: the lines containing up to three strings joined by AND/OR.
void ExtractMatchingLines(RunContext& ctx, const MatchingLinesParams& params);

}  // namespace kadrel
