// Text the user typed (the texts of a step: keywords, search, replacement and
// insert texts) as it meets a file's code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/code_page.h"

namespace kadrel {

// Input methods on Linux give the JIS reading of a few characters (U+301C WAVE
// DASH, U+2212 MINUS SIGN, ...) where CP932 holds the Microsoft one (U+FF5E
// FULLWIDTH TILDE, U+FF0D FULLWIDTH HYPHEN-MINUS, ...). Of each such pair, a
// character that the code page cannot hold becomes its twin when the code page
// holds that, so that typed text finds and writes the file's own characters.
void MapTypedText(std::u32string& text, CodePage cp);
// A UTF-8 step text as code points, mapped.
std::u32string TypedText(std::string_view utf8, CodePage cp);

// The first character of text that the code page cannot hold, if any.
std::optional<char32_t> FirstUnwritable(std::u32string_view text, CodePage cp);

// A character as messages name it: "😀 (U+1F600)".
std::string CharacterForMessage(char32_t c);
// The refusal of such a character, "CP932 で書き込めない文字があります".
std::string UnwritableText(CodePage cp);

}  // namespace kadrel
