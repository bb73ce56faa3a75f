// Code pages of text files and their lossless codecs.
//
// Decoding never fails: a byte that does not start a character of the code page
// (or whose character would not encode back to the same bytes) becomes the escape
// code point U+DC00 + byte, and encoding writes such an escape back as that byte.
// So Encode(Decode(bytes)) == bytes for every input, and a line that a step does
// not change is written back byte for byte.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kadrel {

enum class CodePage { CP932, UTF8, EUCJP };

// "CP932", "UTF-8", "EUC-JP" (letter case and the hyphen ignored); nothing otherwise.
std::optional<CodePage> ParseCodePage(std::string_view name);
const char* CodePageName(CodePage cp);  // "CP932", "UTF-8", "EUC-JP"

inline constexpr char32_t kEscapeBase = 0xDC00;  // escapes are U+DC80..U+DCFF
inline bool IsByteEscape(char32_t c) {
  return c >= 0xDC80 && c <= 0xDCFF;
}

class TextCodec {
 public:
  virtual ~TextCodec() = default;
  // Appends the code points of bytes to out.
  virtual void decode(std::string_view bytes, std::u32string& out) const = 0;
  // Appends the bytes of text to out; a character the code page lacks becomes "?".
  virtual void encode(std::u32string_view text, std::string& out) const = 0;

  std::u32string decode(std::string_view bytes) const {
    std::u32string s;
    decode(bytes, s);
    return s;
  }
  std::string encode(std::u32string_view text) const {
    std::string s;
    encode(text, s);
    return s;
  }
};

// The shared codec of a code page (built once per process, thread-safe).
const TextCodec& CodecFor(CodePage cp);

}  // namespace kadrel
