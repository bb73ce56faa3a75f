// The extraction engines: lines of ctx.in copied into the result file ctx.out,
// with the result file layout (header, ruler, body, counts, separator).
#pragma once

#include <string>

namespace kadrel {

struct RunContext;

// Mode 3: the lines from a line containing startKey to one containing endKey.
void ExtractKeywordRange(RunContext& ctx, const std::u32string& startKey,
                         const std::u32string& endKey);

// Mode 4: the lines containing up to three strings joined by AND/OR.
void ExtractMatchingLines(RunContext& ctx, const std::u32string& first,
                          const std::u32string& second, const std::u32string& third, bool and0,
                          bool and1);

}  // namespace kadrel
