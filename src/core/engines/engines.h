// The rewriting engines. Each runs over io.in into io.out under the engine
// contract (see core/engine_loop.h), with the parameters of its step.
#pragma once

#include <cstdint>
#include <string>

#include "core/step_params.h"

namespace kadrel {

struct EngineIo;

// Mode 0: every occurrence of FindStr replaced by ReplStr; sets ChangedFlag.
void ReplaceText(EngineIo& io, const ReplaceParams& params);

// Mode 1: bare LF line ends become CR LF.
void ConvertNewline(EngineIo& io);

// Mode 2: characters deleted at the line head or end, the insert text (or a
// running number) put in their place.
void EditLineEnds(EngineIo& io, const EditLineEndsParams& params);

// A number in decimal, padded on the left with zeros to the width of numberFormat
// (as many "0" as the start text had characters); a wider number is written in full.
std::string FormatNumber(int32_t value, const std::string& numberFormat);

// Mode 5: blank lines and spaces (U+0020, U+3000) deleted.
void DeleteBlanks(EngineIo& io, const DeleteBlanksParams& params);

}  // namespace kadrel
