// Conversions between the program's internal UTF-8 strings and code point strings.
// A byte that is not UTF-8 (a file name in another encoding, an undecodable byte of
// a file) becomes a byte escape (U+DC80..U+DCFF) and is written back as that byte.
#pragma once

#include <string>
#include <string_view>

namespace kadrel {

std::u32string Utf8ToU32(std::string_view utf8);
std::string U32ToUtf8(std::u32string_view text);

// Length in code points of a UTF-8 string.
size_t CodePointCount(std::string_view utf8);

}  // namespace kadrel
