#include "text/code_page.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>
#include <vector>

namespace kadrel {

namespace {

constexpr char32_t kNone = 0xFFFFFFFF;

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

// A multi-byte code page (CP932, EUC-JP) as lookup tables built once from ICU's
// converters: "windows-31j" (ibm-943_P15A-2003, which reads every code as
// Windows does, the NEC and IBM extensions and the user-defined area included)
// and "EUC-JP" (euc-jp-2007, JIS X 0208 and 0212 with the same Microsoft
// readings of the symbols that differ between the JIS and Microsoft tables).
// Every code that ICU reads as one character enters the decoding tables; the
// encoder writes the code that ICU writes for a character. A code whose
// character is written as another code is flagged in the tables, so that a
// decode can note it.
class TableCodec : public TextCodec {
 public:
  explicit TableCodec(const char* icuName) : double_(65536, kNone), triple_(65536, kNone) {
    single_.fill(kNone);
    UErrorCode err = U_ZERO_ERROR;
    conv_ = ucnv_open(icuName, &err);
    if (U_FAILURE(err)) throw std::runtime_error(std::string("no converter for ") + icuName);
    ucnv_setToUCallBack(conv_, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    ucnv_setFromUCallBack(conv_, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    encodeBmp_.assign(65536, 0);
    for (int b = 0; b < 256; ++b) {
      unsigned char bytes[1] = {static_cast<unsigned char>(b)};
      single_[b] = Probe(bytes, 1);
    }
    for (int b1 = 0x80; b1 < 256; ++b1) {
      if (single_[b1] != kNone) continue;
      for (int b2 = 0x21; b2 < 256; ++b2) {
        unsigned char bytes[2] = {static_cast<unsigned char>(b1), static_cast<unsigned char>(b2)};
        double_[b1 * 256 + b2] = Probe(bytes, 2);
      }
    }
    if (std::string(icuName) == "EUC-JP") {  // JIS X 0212 through SS3
      for (int b2 = 0xA1; b2 < 0xFF; ++b2) {
        for (int b3 = 0xA1; b3 < 0xFF; ++b3) {
          unsigned char bytes[3] = {0x8F, static_cast<unsigned char>(b2),
                                    static_cast<unsigned char>(b3)};
          triple_[b2 * 256 + b3] = Probe(bytes, 3);
        }
      }
    }
    ucnv_close(conv_);
    conv_ = nullptr;
    asciiIdentity_ = true;
    for (int b = 0; b < 0x80; ++b) asciiIdentity_ = asciiIdentity_ && single_[b] == char32_t(b);
    noteOtherCodes();
  }

  bool canEncode(char32_t c) const override {
    return IsByteEscape(c) || (c < 0x10000 && encodeBmp_[c] != 0);
  }

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
    if (c < 0x10000 && encodeBmp_[c] != 0) codes.push_back(UnpackCode(encodeBmp_[c]));
    auto [first, last] = std::equal_range(otherCodes_.begin(), otherCodes_.end(),
                                          std::make_pair(c, uint32_t{0}), ByCharacter);
    for (auto it = first; it != last; ++it) codes.push_back(UnpackCode(it->second));
    return codes;
  }

  size_t maxCodeLength() const override { return hasTriples_ ? 3 : 2; }

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
  // Flags a table entry whose code is not the one the encoder writes for its
  // character; entries from it up (kNone too) are no plain character.
  static constexpr char32_t kOtherForm = 0x40000000;

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
  // that follow it, up to the end of s. Table entries below kOtherForm are
  // characters: one test on the usual path.
  template <bool kNote, bool kOffsets>
  size_t decodeInto(std::string_view s, size_t limit, char32_t*& o, uint32_t*& off,
                    bool& otherForms, ByteForms* forms) const {
    const size_t n = s.size();
    size_t i = 0;
    while (i < limit) {
      if constexpr (kOffsets) *off++ = static_cast<uint32_t>(i);
      unsigned char b0 = static_cast<unsigned char>(s[i]);
      if (b0 < 0x80 && asciiIdentity_) {
        *o++ = b0;
        ++i;
        continue;
      }
      char32_t cp = single_[b0];
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
        cp = double_[b0 * 256 + b1];
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
          cp = triple_[b1 * 256 + static_cast<unsigned char>(s[i + 2])];
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
    if (single_[b0] != kNone) return 1;
    if (i + 1 < s.size()) {
      const unsigned char b1 = static_cast<unsigned char>(s[i + 1]);
      if (double_[b0 * 256 + b1] != kNone) return 2;
      if (b0 == 0x8F && i + 2 < s.size() &&
          triple_[b1 * 256 + static_cast<unsigned char>(s[i + 2])] != kNone)
        return 3;
    }
    return 1;
  }

  static bool ByCharacter(const std::pair<char32_t, uint32_t>& a,
                          const std::pair<char32_t, uint32_t>& b) {
    return a.first < b.first;
  }

  // Collects the codes flagged kOtherForm, by character, for codesOf.
  void noteOtherCodes() {
    auto note = [this](char32_t entry, std::initializer_list<unsigned char> bytes) {
      if (entry == kNone || entry < kOtherForm) return;
      otherCodes_.emplace_back(entry & ~kOtherForm, PackCode(std::data(bytes), bytes.size()));
    };
    for (int b = 0; b < 256; ++b) note(single_[b], {static_cast<unsigned char>(b)});
    for (int code = 0; code < 65536; ++code) {
      const auto hi = static_cast<unsigned char>(code >> 8), lo = static_cast<unsigned char>(code);
      note(double_[code], {hi, lo});
      note(triple_[code], {0x8F, hi, lo});
      hasTriples_ = hasTriples_ || triple_[code] != kNone;
    }
    std::stable_sort(otherCodes_.begin(), otherCodes_.end(), ByCharacter);
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
      if (c < 0x80 && asciiIdentity_) {
        *o++ = static_cast<char>(c);
        continue;
      }
      if (IsByteEscape(c)) {
        *o++ = static_cast<char>(c - kEscapeBase);
        continue;
      }
      uint32_t code = noted(c);
      if (code == 0 && c < 0x10000) code = encodeBmp_[c];
      if (code == 0) {
        *o++ = '?';
        continue;
      }
      int len = static_cast<int>(code >> 24);
      for (int k = len - 1; k >= 0; --k) *o++ = static_cast<char>((code >> (8 * k)) & 0xFF);
    }
    out.resize(static_cast<size_t>(o - out.data()));
  }

  // The code point of exactly these bytes, flagged with kOtherForm when ICU
  // writes other bytes for it (or none); kNone when they are not one character.
  char32_t Probe(const unsigned char* bytes, int len) {
    UErrorCode err = U_ZERO_ERROR;
    UChar u[4];
    ucnv_resetToUnicode(conv_);
    int32_t ulen = ucnv_toUChars(conv_, u, 4, reinterpret_cast<const char*>(bytes), len, &err);
    if (U_FAILURE(err) || ulen == 0 || ulen > 2) return kNone;
    char32_t cp = u[0];
    if (ulen == 2) {
      if (!(U16_IS_LEAD(u[0]) && U16_IS_TRAIL(u[1]))) return kNone;
      cp = U16_GET_SUPPLEMENTARY(u[0], u[1]);
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) return kNone;
    char back[8];
    err = U_ZERO_ERROR;
    ucnv_resetFromUnicode(conv_);
    int32_t blen = ucnv_fromUChars(conv_, back, sizeof back, u, ulen, &err);
    const bool sameBytes = U_SUCCESS(err) && blen == len &&
                           std::equal(bytes, bytes + len, reinterpret_cast<unsigned char*>(back));
    if (!sameBytes || cp >= 0x10000) return cp | kOtherForm;
    encodeBmp_[cp] = PackCode(bytes, static_cast<size_t>(len));
    return cp;
  }

  UConverter* conv_ = nullptr;
  std::array<char32_t, 256> single_;
  std::vector<char32_t> double_;     // [lead * 256 + trail]
  std::vector<char32_t> triple_;     // EUC-JP 0x8F sequences: [second * 256 + third]
  std::vector<uint32_t> encodeBmp_;  // code point -> its code (PackCode); 0 = none
  // The codes flagged kOtherForm, by character: (character, PackCode).
  std::vector<std::pair<char32_t, uint32_t>> otherCodes_;
  bool asciiIdentity_ = false;
  bool hasTriples_ = false;
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
      static const TableCodec eucjp("EUC-JP");
      return eucjp;
    }
    case CodePage::CP932:
      break;
  }
  static const TableCodec cp932("windows-31j");
  return cp932;
}

}  // namespace kadrel
