// A search keyword of an extraction step, ready to test lines with: upper-cased
// when CompMode is 0 (the lines' comparison texts are too), compiled once.
#pragma once

#include <optional>
#include <string>

#include "extract/wildcard.h"

namespace kadrel {

class EngineLoop;

// The box text for a keyword that is not a well-formed pattern; pieces joined by CR.
std::string IllFormedKeywordMessage(const std::u32string& keyword, const PatternIssue& issue,
                                    const std::string& targetPath);

// The keyword's pattern, or nothing when it is ill-formed: then the failure has
// been reported through the loop (box, ErrFlag, files closed) and the engine stops.
std::optional<WildcardPattern> CompileKeyword(EngineLoop& loop, const std::u32string& keyword);

}  // namespace kadrel
