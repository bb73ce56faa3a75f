// Conversions between the program's internal UTF-8 strings and code point strings.
// A byte that is not UTF-8 (a file name in another encoding, an undecodable byte of
// a file) becomes a byte escape (U+DC80..U+DCFF) and is written back as that byte.
#pragma once

#include <string>
#include <string_view>

namespace kadrel {

std::u32string Utf8ToU32(std::string_view utf8);
std::string U32ToUtf8(std::u32string_view text);

// One UTF-8 sequence at s[i], surrogate code points accepted (they carry byte
// escapes): its length, or 0 when the bytes there are no whole sequence.
size_t DecodeUtf8At(std::string_view s, size_t i, char32_t& cp);
// Appends c in UTF-8 (a surrogate code point as its three bytes).
void AppendUtf8(char32_t c, std::string& out);

// Length in code points of a UTF-8 string.
size_t CodePointCount(std::string_view utf8);

}  // namespace kadrel
