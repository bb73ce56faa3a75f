#include "text/typed_text.h"

#include <cstdio>

#include "text/utf.h"

namespace kadrel {

namespace {

// The characters that the JIS and the Microsoft tables read differently from the
// same JIS X 0208 codes: JIS reading first.
constexpr std::pair<char32_t, char32_t> kTwins[] = {
    {0x301C, 0xFF5E},  // WAVE DASH, FULLWIDTH TILDE
    {0x2016, 0x2225},  // DOUBLE VERTICAL LINE, PARALLEL TO
    {0x2212, 0xFF0D},  // MINUS SIGN, FULLWIDTH HYPHEN-MINUS
    {0x00A2, 0xFFE0},  // CENT SIGN, FULLWIDTH CENT SIGN
    {0x00A3, 0xFFE1},  // POUND SIGN, FULLWIDTH POUND SIGN
    {0x00AC, 0xFFE2},  // NOT SIGN, FULLWIDTH NOT SIGN
    {0x2014, 0x2015},  // EM DASH, HORIZONTAL BAR
};

char32_t TwinOf(char32_t c) {
  for (const auto& [jis, microsoft] : kTwins) {
    if (c == jis) return microsoft;
    if (c == microsoft) return jis;
  }
  return 0;
}

}  // namespace

void MapTypedText(std::u32string& text, CodePage cp) {
  const TextCodec& codec = CodecFor(cp);
  for (char32_t& c : text) {
    if (c < 0xA2) continue;
    const char32_t twin = TwinOf(c);
    if (twin != 0 && !codec.canEncode(c) && codec.canEncode(twin)) c = twin;
  }
}

std::u32string TypedText(std::string_view utf8, CodePage cp) {
  std::u32string text = Utf8ToU32(utf8);
  MapTypedText(text, cp);
  return text;
}

std::optional<char32_t> FirstUnwritable(std::u32string_view text, CodePage cp) {
  const TextCodec& codec = CodecFor(cp);
  for (char32_t c : text)
    if (!codec.canEncode(c)) return c;
  return std::nullopt;
}

std::string CharacterForMessage(char32_t c) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  return U32ToUtf8(std::u32string_view(&c, 1)) + " (" + code + ")";
}

std::string UnwritableText(CodePage cp) {
  return std::string(CodePageName(cp)) + " で書き込めない文字があります";
}

}  // namespace kadrel
