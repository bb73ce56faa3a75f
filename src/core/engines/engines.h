// The rewriting engines. Each runs over ctx.in into ctx.out under the engine
// contract (see core/engine_loop.h).
#pragma once

#include <cstdint>
#include <string>

namespace kadrel {

struct RunContext;

// Mode 0: every occurrence of ctx.FindStr replaced by ctx.ReplStr; sets ChangedFlag.
void ReplaceText(RunContext& ctx);

// Mode 1: bare LF line ends become CR LF.
void ConvertNewline(RunContext& ctx);

// Mode 2: count characters deleted at the line head or end, insertText (or a
// running number) put in their place.
void EditLineEnds(RunContext& ctx, bool numbering, bool atHead, int16_t count,
                  const std::u32string& insertText, int32_t start, int32_t step,
                  const std::string& numberFormat);

// A number in decimal, padded on the left with zeros to the width of numberFormat
// (as many "0" as the start text had characters); a wider number is written in full.
std::string FormatNumber(int32_t value, const std::string& numberFormat);

// Mode 5: blank lines and spaces (U+0020, U+3000) deleted.
void DeleteBlanks(RunContext& ctx, bool lineDel, bool spaceLineDel, bool trimLeft, bool trimAll,
                  bool trimRight);

}  // namespace kadrel
