#include "text/code_page.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "text/text_tables.h"

namespace kadrel {

namespace {

// One character of a UTF-8 text: strict (no surrogates, no overlong forms); every
// byte of an ill-formed sequence becomes an escape of its own.
struct Utf8Unit {
  char32_t c;
  size_t length;
};

Utf8Unit Utf8UnitAt(std::string_view s, size_t i) {
  const unsigned char b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return {b0, 1};
  size_t len = 0;
  char32_t cp = 0, min = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  }
  bool ok = len != 0 && i + len <= s.size();
  for (size_t k = 1; ok && k < len; ++k) {
    const unsigned char b = static_cast<unsigned char>(s[i + k]);
    ok = (b & 0xC0) == 0x80;
    cp = (cp << 6) | (b & 0x3F);
  }
  ok = ok && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
  if (ok) return {cp, len};
  return {kEscapeBase + b0, 1};
}

// UTF-8 as files hold it.
class Utf8Codec : public TextCodec {
 public:
  Utf8Codec() {
    // A byte other than a continuation byte (80..BF) begins a character; ASCII and
    // the bytes that never begin a well-formed sequence (C0, C1, F5..FF) end one.
    const uint64_t all = ~uint64_t{0};
    const uint64_t starts[4] = {all, all, 0, all};
    const uint64_t ends[4] = {all, all, 0, 0x3 | (all << (0xF5 - 0xC0))};
    setBoundaryBytes(starts, ends);
  }

  bool canEncode(char32_t c) const override {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF || IsByteEscape(c));
  }

  size_t advance(std::string_view s, size_t from, size_t count) const override {
    size_t i = from;
    for (; count > 0 && i < s.size(); --count) i += Utf8UnitAt(s, i).length;
    return std::min(i, s.size());
  }

  std::vector<std::string> codesOf(char32_t c) const override {
    if (IsByteEscape(c)) return {std::string(1, static_cast<char>(c - kEscapeBase))};
    if (!canEncode(c)) return {};
    std::string code;
    encodeAppend(std::u32string_view(&c, 1), code, nullptr);
    return {code};
  }

  size_t maxCodeLength() const override { return 4; }

 protected:
  // Every character has one code: nothing to note in forms.
  void decodeAppend(std::string_view s, std::u32string& out, ByteForms*) const override {
    decodeUpTo(s, s.size(), out, nullptr);
  }

  size_t decodeUpTo(std::string_view s, size_t limit, std::u32string& out,
                    std::vector<uint32_t>* offsets) const override {
    const size_t base = out.size();
    out.resize(base + limit);  // room for the worst case; cut to size at the end
    char32_t* o = out.data() + base;
    if (offsets != nullptr) offsets->reserve(offsets->size() + limit);
    size_t i = 0;
    while (i < limit) {
      if (offsets != nullptr) offsets->push_back(static_cast<uint32_t>(i));
      const unsigned char b0 = static_cast<unsigned char>(s[i]);
      if (b0 < 0x80) {
        *o++ = b0;
        ++i;
        continue;
      }
      const Utf8Unit unit = Utf8UnitAt(s, i);
      *o++ = unit.c;
      i += unit.length;
    }
    out.resize(static_cast<size_t>(o - out.data()));
    return i;
  }

  void encodeAppend(std::u32string_view text, std::string& out, const ByteForms*) const override {
    out.reserve(out.size() + text.size());
    for (char32_t c : text) {
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else if (IsByteEscape(c)) {
        out += static_cast<char>(c - kEscapeBase);
      } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else if (c >= 0xD800 && c <= 0xDFFF) {
        out += '?';
      } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else if (c <= 0x10FFFF) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        out += '?';
      }
    }
  }
};

// A code as ByteForms and the encoder's table hold it: (length << 24) | bytes.
uint32_t PackCode(const unsigned char* bytes, size_t len) {
  uint32_t code = static_cast<uint32_t>(len) << 24;
  for (size_t k = 0; k < len; ++k) code |= static_cast<uint32_t>(bytes[k]) << (8 * (len - 1 - k));
  return code;
}

std::string UnpackCode(uint32_t code) {
  const int len = static_cast<int>(code >> 24);
  std::string bytes;
  for (int k = len - 1; k >= 0; --k) bytes += static_cast<char>((code >> (8 * k)) & 0xFF);
  return bytes;
}

// A multi-byte code page (CP932, EUC-JP) through its lookup tables, which the
// build made from ICU's converters (text/text_tables.h). Table entries below
// kOtherForm are characters: one test on the usual path; an entry flagged
// kOtherForm is a code whose character the encoder writes as another code, which a
// decode can note.
class TableCodec : public TextCodec {
 public:
  explicit TableCodec(const tables::CodePageTables& t) : t_(t) {
    setBoundaryBytes(t.startsChar, t.endsChar);
  }

  bool canEncode(char32_t c) const override { return IsByteEscape(c) || t_.encodeAt(c) != 0; }

  size_t advance(std::string_view s, size_t from, size_t count) const override {
    size_t i = from;
    for (; count > 0 && i < s.size(); --count) i += lengthAt(s, i);
    return i;
  }

  std::vector<std::string> codesOf(char32_t c) const override {
    std::vector<std::string> codes;
    if (IsByteEscape(c)) {
      codes.emplace_back(1, static_cast<char>(c - kEscapeBase));
      return codes;
    }
    if (const uint32_t code = t_.encodeAt(c); code != 0) codes.push_back(UnpackCode(code));
    const char32_t* first = std::lower_bound(t_.otherChars, t_.otherChars + t_.otherCount, c);
    for (const char32_t* it = first; it != t_.otherChars + t_.otherCount && *it == c; ++it)
      codes.push_back(UnpackCode(t_.otherCodes[it - t_.otherChars]));
    return codes;
  }

  size_t maxCodeLength() const override { return t_.hasTriples ? 3 : 2; }

 protected:
  void decodeAppend(std::string_view s, std::u32string& out, ByteForms* forms) const override {
    // Written through a pointer into room for the worst case (one character per
    // byte), then cut to size: appending one character at a time costs more than
    // the table lookups.
    const size_t base = out.size();
    out.resize(base + s.size());
    bool otherForms = false;
    char32_t* o = out.data() + base;
    uint32_t* noOffsets = nullptr;
    decodeInto<false, false>(s, s.size(), o, noOffsets, otherForms, nullptr);
    // Rare: a code that the encoder does not write for its character. Decoded
    // again, noting each such code, so that the usual pass makes no call.
    if (otherForms && forms != nullptr) {
      o = out.data() + base;
      decodeInto<true, false>(s, s.size(), o, noOffsets, otherForms, forms);
    }
    out.resize(static_cast<size_t>(o - out.data()));
  }

  size_t decodeUpTo(std::string_view s, size_t limit, std::u32string& out,
                    std::vector<uint32_t>* offsets) const override {
    const size_t base = out.size();
    out.resize(base + limit);
    bool otherForms = false;
    char32_t* o = out.data() + base;
    size_t end;
    if (offsets == nullptr) {
      uint32_t* noOffsets = nullptr;
      end = decodeInto<false, false>(s, limit, o, noOffsets, otherForms, nullptr);
    } else {
      const size_t first = offsets->size();
      offsets->resize(first + limit);
      uint32_t* off = offsets->data() + first;
      end = decodeInto<false, true>(s, limit, o, off, otherForms, nullptr);
      offsets->resize(static_cast<size_t>(off - offsets->data()));
    }
    out.resize(static_cast<size_t>(o - out.data()));
    return end;
  }

  void encodeAppend(std::u32string_view text, std::string& out,
                    const ByteForms* forms) const override {
    if (forms != nullptr) {
      encodeWith(text, out, [forms](char32_t c) { return forms->find(c); });
    } else {
      encodeWith(text, out, [](char32_t) { return uint32_t{0}; });
    }
  }

 private:
  static constexpr char32_t kNone = tables::kNone;
  static constexpr char32_t kOtherForm = tables::kOtherForm;

  // A table entry flagged kOtherForm for the code at s[i], len bytes: its
  // character. Sets otherForms, or with kNote notes the code in forms.
  template <bool kNote>
  static char32_t OtherForm(char32_t entry, std::string_view s, size_t i, size_t len,
                            bool& otherForms, ByteForms* forms) {
    const char32_t c = entry & ~kOtherForm;
    if constexpr (kNote) {
      forms->note(c, PackCode(reinterpret_cast<const unsigned char*>(s.data() + i), len));
    } else {
      otherForms = true;
    }
    return c;
  }

  // Decodes the characters of s that begin before limit into o, which has room
  // for limit characters, and moves o past them (with kOffsets, their offsets into
  // off likewise); returns where the last one ends. A code is told from the bytes
  // that follow it, up to the end of s.
  template <bool kNote, bool kOffsets>
  size_t decodeInto(std::string_view s, size_t limit, char32_t*& o, uint32_t*& off,
                    bool& otherForms, ByteForms* forms) const {
    const size_t n = s.size();
    const bool asciiIdentity = t_.asciiIdentity;
    const char32_t* single = t_.single;
    size_t i = 0;
    while (i < limit) {
      if constexpr (kOffsets) *off++ = static_cast<uint32_t>(i);
      unsigned char b0 = static_cast<unsigned char>(s[i]);
      if (b0 < 0x80 && asciiIdentity) {
        *o++ = b0;
        ++i;
        continue;
      }
      char32_t cp = single[b0];
      if (cp < kOtherForm) [[likely]] {
        *o++ = cp;
        ++i;
        continue;
      }
      if (cp != kNone) {
        *o++ = OtherForm<kNote>(cp, s, i, 1, otherForms, forms);
        ++i;
        continue;
      }
      if (i + 1 < n) {
        unsigned char b1 = static_cast<unsigned char>(s[i + 1]);
        cp = t_.doubleAt(b0, b1);
        if (cp < kOtherForm) [[likely]] {
          *o++ = cp;
          i += 2;
          continue;
        }
        if (cp != kNone) {
          *o++ = OtherForm<kNote>(cp, s, i, 2, otherForms, forms);
          i += 2;
          continue;
        }
        if (b0 == 0x8F && i + 2 < n) {
          cp = t_.tripleAt(b1, static_cast<unsigned char>(s[i + 2]));
          if (cp != kNone) {
            *o++ = cp < kOtherForm ? cp : OtherForm<kNote>(cp, s, i, 3, otherForms, forms);
            i += 3;
            continue;
          }
        }
      }
      *o++ = kEscapeBase + b0;
      ++i;
    }
    return i;
  }

  // The length of the code at s[i], as decodeInto reads it (an escape: 1).
  size_t lengthAt(std::string_view s, size_t i) const {
    const unsigned char b0 = static_cast<unsigned char>(s[i]);
    if (t_.single[b0] != kNone) return 1;
    if (i + 1 < s.size()) {
      const unsigned char b1 = static_cast<unsigned char>(s[i + 1]);
      if (t_.doubleAt(b0, b1) != kNone) return 2;
      if (b0 == 0x8F && i + 2 < s.size() &&
          t_.tripleAt(b1, static_cast<unsigned char>(s[i + 2])) != kNone)
        return 3;
    }
    return 1;
  }

  // noted(c) gives the code a decode noted for c, or 0.
  template <typename NotedFn>
  void encodeWith(std::u32string_view text, std::string& out, NotedFn&& noted) const {
    // Room for the worst case (three bytes a character), written through a
    // pointer and cut to size, as decode does.
    const size_t base = out.size();
    out.resize(base + 3 * text.size());
    char* o = out.data() + base;
    for (char32_t c : text) {
      if (c < 0x80 && t_.asciiIdentity) {
        *o++ = static_cast<char>(c);
        continue;
      }
      if (IsByteEscape(c)) {
        *o++ = static_cast<char>(c - kEscapeBase);
        continue;
      }
      uint32_t code = noted(c);
      if (code == 0) code = t_.encodeAt(c);
      if (code == 0) {
        *o++ = '?';
        continue;
      }
      int len = static_cast<int>(code >> 24);
      for (int k = len - 1; k >= 0; --k) *o++ = static_cast<char>((code >> (8 * k)) & 0xFF);
    }
    out.resize(static_cast<size_t>(o - out.data()));
  }

  const tables::CodePageTables& t_;
};

}  // namespace

std::optional<CodePage> ParseCodePage(std::string_view name) {
  std::string key;
  for (char c : name) {
    if (c == '-' || c == '_' || c == ' ') continue;
    key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (key == "CP932" || key == "SHIFTJIS" || key == "SJIS" || key == "WINDOWS31J")
    return CodePage::CP932;
  if (key == "UTF8") return CodePage::UTF8;
  if (key == "EUCJP") return CodePage::EUCJP;
  return std::nullopt;
}

const char* CodePageName(CodePage cp) {
  switch (cp) {
    case CodePage::UTF8:
      return "UTF-8";
    case CodePage::EUCJP:
      return "EUC-JP";
    case CodePage::CP932:
      break;
  }
  return "CP932";
}

void ByteForms::note(char32_t c, uint32_t code) {
  if (find(c) == 0) forms_.emplace_back(c, code);
}

uint32_t ByteForms::find(char32_t c) const {
  for (const auto& [ch, code] : forms_)
    if (ch == c) return code;
  return 0;
}

void ByteForms::keepSource(std::string_view bytes, std::u32string_view text) {
  sourceBytes_.assign(bytes);
  sourceText_.assign(text);
}

void TextCodec::decode(std::string_view bytes, std::u32string& out, ByteForms* forms) const {
  if (forms != nullptr && !forms->empty()) forms->clear();
  const size_t base = out.size();
  decodeAppend(bytes, out, forms);
  if (forms != nullptr && !forms->empty())
    forms->keepSource(bytes, std::u32string_view(out).substr(base));
}

size_t TextCodec::decodePart(std::string_view bytes, std::u32string& out, bool final,
                             std::vector<uint32_t>* offsets) const {
  // A code is told from at most maxCodeLength() bytes: those starting that far
  // from the end are decided whatever follows.
  const size_t undecided = final ? 0 : std::min(bytes.size(), maxCodeLength() - 1);
  return decodeUpTo(bytes, bytes.size() - undecided, out, offsets);
}

void TextCodec::setBoundaryBytes(const uint64_t (&starts)[4], const uint64_t (&ends)[4]) {
  std::copy(starts, starts + 4, startsChar_);
  std::copy(ends, ends + 4, endsChar_);
}

size_t TextCodec::charStartAtOrBefore(std::string_view bytes, size_t at, size_t known) const {
  at = std::min(at, bytes.size());
  if (at < bytes.size() && InSet(startsChar_, static_cast<unsigned char>(bytes[at]))) return at;
  // Back to a byte that settles where a character begins, at or after known.
  size_t start = known;
  for (size_t j = at; j > known; --j) {
    const auto b = static_cast<unsigned char>(bytes[j - 1]);
    if (InSet(endsChar_, b)) {
      start = j;
      break;
    }
    if (InSet(startsChar_, b)) {
      start = j - 1;
      break;
    }
  }
  // Then forward over the characters before at.
  for (;;) {
    const size_t next = advance(bytes, start, 1);
    if (next > at || next == start) return start;
    start = next;
  }
}

void TextCodec::encode(std::u32string_view text, std::string& out, const ByteForms* forms) const {
  if (forms == nullptr || forms->empty()) return encodeAppend(text, out, nullptr);
  if (forms->isSource(text)) {
    out += forms->sourceBytes();
    return;
  }
  encodeAppend(text, out, forms);
}

const TextCodec& CodecFor(CodePage cp) {
  switch (cp) {
    case CodePage::UTF8: {
      static const Utf8Codec utf8;
      return utf8;
    }
    case CodePage::EUCJP: {
      static const TableCodec eucjp(tables::kEucJpTables);
      return eucjp;
    }
    case CodePage::CP932:
      break;
  }
  static const TableCodec cp932(tables::kCp932Tables);
  return cp932;
}

}  // namespace kadrel
