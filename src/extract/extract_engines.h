// The extraction engines: lines of io.in copied into the result file io.out,
// with the result file layout (header, ruler, body, counts, separator).
#pragma once

#include "core/step_params.h"

namespace kadrel {

struct EngineIo;

// Mode 3: the lines from a line containing the start key to one containing the end key.
void ExtractKeywordRange(EngineIo& io, const KeywordRangeParams& params);

// Mode 4: the lines containing up to three strings joined by AND/OR.
void ExtractMatchingLines(EngineIo& io, const MatchingLinesParams& params);

}  // namespace kadrel
