// Conversions between the program's internal UTF-8 strings and code point strings.
// Internal UTF-8 may carry byte escapes (U+DC80..U+DCFF) as three-byte sequences,
// so every code point string survives the trip.
#pragma once

#include <string>
#include <string_view>

namespace kadrel {

std::u32string Utf8ToU32(std::string_view utf8);
std::string U32ToUtf8(std::u32string_view text);

// Length in code points of a UTF-8 string.
size_t CodePointCount(std::string_view utf8);

}  // namespace kadrel
