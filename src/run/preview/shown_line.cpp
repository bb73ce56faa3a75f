#include "run/preview/shown_line.h"

#include <array>
#include <cstdio>
#include <vector>

namespace kadrel {

namespace {

bool IsPlainAscii(std::string_view bytes) {
  for (unsigned char c : bytes) {
    if ((c < 0x20 && c != '\t') || c >= 0x7F) return false;
  }
  return true;
}

// True when the code page reads printable ASCII bytes as those characters, so
// that a line of them needs no decoding.
bool AsciiReadsAsItself(CodePage codePage) {
  static const std::array<bool, 3> same = [] {
    std::array<bool, 3> result{};
    std::string ascii;
    for (char c = 0x20; c < 0x7F; ++c) ascii += c;
    const std::u32string expected(ascii.begin(), ascii.end());
    for (CodePage cp : {CodePage::CP932, CodePage::UTF8, CodePage::EUCJP})
      result[static_cast<size_t>(cp)] = CodecFor(cp).decode(ascii) == expected;
    return result;
  }();
  return same[static_cast<size_t>(codePage)];
}

// Writes c at out in UTF-8 (a code point the decoder gave: below U+110000, no
// surrogate but the byte escapes, which are handled before); returns the end.
char* PutUtf8(char32_t c, char* out) {
  if (c < 0x80) {
    *out++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | (c >> 6));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (c >> 12));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (c >> 18));
    *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

char* PutEscape(const char* format, unsigned value, char* out) {
  return out + std::snprintf(out, 8, format, value);
}

}  // namespace

void AppendShownLine(std::string_view bytes, CodePage codePage, Controls controls,
                     std::string& out) {
  if (IsPlainAscii(bytes) && AsciiReadsAsItself(codePage)) {
    out += bytes;
    return;
  }
  thread_local std::u32string text;
  text.clear();
  CodecFor(codePage).decode(bytes, text);
  // The longest form of a character is 7 bytes (\u0080); scratch keeps its size
  // between lines, so that it is not filled anew each time.
  thread_local std::vector<char> scratch;
  if (scratch.size() < text.size() * 7) scratch.resize(text.size() * 7);
  char* const start = scratch.data();
  char* at = start;
  const bool visible = controls == Controls::Visible;
  for (char32_t c : text) {
    if (IsByteEscape(c)) {
      at = PutEscape("\\x%02X", static_cast<unsigned>(c - kEscapeBase), at);
    } else if (visible && ((c < 0x20 && c != '\t') || c == 0x7F)) {
      at = PutEscape("\\x%02X", static_cast<unsigned>(c), at);
    } else if (visible && c >= 0x80 && c <= 0x9F) {
      at = PutEscape("\\u%04X", static_cast<unsigned>(c), at);
    } else {
      at = PutUtf8(c, at);
    }
  }
  out.append(start, static_cast<size_t>(at - start));
}

std::string ShownLine(std::string_view bytes, CodePage codePage, Controls controls) {
  std::string out;
  AppendShownLine(bytes, codePage, controls, out);
  return out;
}

std::string_view LineEndOf(std::string_view line) {
  if (line.ends_with("\r\n")) return line.substr(line.size() - 2);
  if (line.ends_with('\n')) return line.substr(line.size() - 1);
  return {};
}

}  // namespace kadrel
