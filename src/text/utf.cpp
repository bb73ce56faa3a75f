#include "text/utf.h"

#include <algorithm>
#include <vector>

#include "text/code_page.h"

namespace kadrel {

size_t DecodeUtf8At(std::string_view s, size_t i, char32_t& cp) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  size_t len;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    unsigned char b = byte(i + k);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF) return 0;
  return len;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::u32string Utf8ToU32(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp;
    size_t n = DecodeUtf8At(utf8, i, cp);
    if (n == 0) {  // a stray byte (a file name in another encoding, say) is kept as an escape
      out += kEscapeBase + static_cast<unsigned char>(utf8[i]);
      ++i;
    } else {
      out += cp;
      i += n;
    }
  }
  return out;
}

std::string U32ToUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  // An escape goes back to the byte it stands for, unless that byte and the bytes
  // written after it would read as one UTF-8 character (escapes E3 81 82 would read
  // as "あ"): such an escape is written as its own code point, three bytes that read
  // back as the same escape. Deciding needs the bytes that follow, so the choices
  // are made from the end.
  std::vector<bool> asCodePoint;
  if (std::any_of(text.begin(), text.end(), IsByteEscape)) {
    asCodePoint.assign(text.size(), false);
    char next[4] = {};  // the first bytes written after the current position
    size_t nextSize = 0;
    for (size_t i = text.size(); i-- > 0;) {
      std::string bytes;
      if (IsByteEscape(text[i])) {
        bytes.assign(1, static_cast<char>(text[i] - kEscapeBase));
        bytes.append(next, nextSize);
        char32_t cp;
        if (DecodeUtf8At(bytes, 0, cp) > 1) {
          asCodePoint[i] = true;
          bytes.clear();
          AppendUtf8(text[i], bytes);
        } else {
          bytes.resize(1);
        }
      } else {
        AppendUtf8(text[i], bytes);
      }
      const size_t keep = std::min<size_t>(3, bytes.size() + nextSize);
      std::string joined = bytes + std::string(next, nextSize);
      std::copy_n(joined.data(), keep, next);
      nextSize = keep;
    }
  }
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (IsByteEscape(c) && !asCodePoint[i]) {
      out += static_cast<char>(c - kEscapeBase);  // back to the byte it stands for
    } else {
      AppendUtf8(c, out);
    }
  }
  return out;
}

size_t CodePointCount(std::string_view utf8) {
  size_t n = 0;
  for (char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

}  // namespace kadrel
