// Writes the lookup tables of text/text_tables.h as C++ source, made from ICU at
// build time so that no run builds them:
//   generate_text_tables OUTPUT.cpp
//
// The multi-byte code pages come from ICU's converters "windows-31j"
// (ibm-943_P15A-2003, which reads every code as Windows does, the NEC and IBM
// extensions and the user-defined area included) and "EUC-JP" (euc-jp-2007, JIS X
// 0208 and 0212 with the same Microsoft readings of the symbols that differ between
// the JIS and Microsoft tables). Every code that ICU reads as one character enters
// the decoding tables; the encoder writes the code that ICU writes for a
// character, and a code whose character ICU writes as other bytes is flagged.
#include <unicode/uchar.h>
#include <unicode/uclean.h>
#include <unicode/ucnv.h>
#include <unicode/uset.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "text/text_tables.h"

namespace {

using kadrel::tables::kNone;
using kadrel::tables::kOtherForm;

uint32_t PackCode(const unsigned char* bytes, int len) {
  uint32_t code = static_cast<uint32_t>(len) << 24;
  for (int k = 0; k < len; ++k) code |= static_cast<uint32_t>(bytes[k]) << (8 * (len - 1 - k));
  return code;
}

// One code page's tables in full, as the converter reads and writes its codes.
struct FullTables {
  std::array<char32_t, 256> single{};
  std::vector<char32_t> doubles = std::vector<char32_t>(65536, kNone);  // [lead * 256 + trail]
  std::vector<char32_t> triples = std::vector<char32_t>(65536, kNone);  // [second * 256 + third]
  std::vector<uint32_t> encode = std::vector<uint32_t>(65536, 0);       // BMP character -> code
};

class Prober {
 public:
  explicit Prober(const char* name) {
    UErrorCode err = U_ZERO_ERROR;
    conv_ = ucnv_open(name, &err);
    if (U_FAILURE(err)) throw std::runtime_error(std::string("no converter for ") + name);
    ucnv_setToUCallBack(conv_, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    ucnv_setFromUCallBack(conv_, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  }
  ~Prober() { ucnv_close(conv_); }

  // The code point of exactly these bytes, flagged with kOtherForm when ICU writes
  // other bytes for it (or none); kNone when they are not one character. A code
  // that ICU writes back as itself becomes the encoder's code of its character.
  char32_t probe(const unsigned char* bytes, int len, FullTables& t) {
    UErrorCode err = U_ZERO_ERROR;
    UChar u[4];
    ucnv_resetToUnicode(conv_);
    const int32_t ulen =
        ucnv_toUChars(conv_, u, 4, reinterpret_cast<const char*>(bytes), len, &err);
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
    const int32_t blen = ucnv_fromUChars(conv_, back, sizeof back, u, ulen, &err);
    const bool sameBytes = U_SUCCESS(err) && blen == len &&
                           std::equal(bytes, bytes + len, reinterpret_cast<unsigned char*>(back));
    if (!sameBytes || cp >= 0x10000) return cp | kOtherForm;
    t.encode[cp] = PackCode(bytes, len);
    return cp;
  }

 private:
  UConverter* conv_ = nullptr;
};

FullTables ProbeCodePage(const char* icuName, bool triples) {
  FullTables t;
  Prober prober(icuName);
  for (int b = 0; b < 256; ++b) {
    const unsigned char bytes[1] = {static_cast<unsigned char>(b)};
    t.single[b] = prober.probe(bytes, 1, t);
  }
  for (int b1 = 0x80; b1 < 256; ++b1) {
    if (t.single[b1] != kNone) continue;
    for (int b2 = 0x21; b2 < 256; ++b2) {
      const unsigned char bytes[2] = {static_cast<unsigned char>(b1),
                                      static_cast<unsigned char>(b2)};
      t.doubles[b1 * 256 + b2] = prober.probe(bytes, 2, t);
    }
  }
  if (triples) {  // EUC-JP: JIS X 0212 through SS3
    for (int b2 = 0xA1; b2 < 0xFF; ++b2) {
      for (int b3 = 0xA1; b3 < 0xFF; ++b3) {
        const unsigned char bytes[3] = {0x8F, static_cast<unsigned char>(b2),
                                        static_cast<unsigned char>(b3)};
        t.triples[b2 * 256 + b3] = prober.probe(bytes, 3, t);
      }
    }
  }
  return t;
}

// Writes arrays as C++ source.
class Writer {
 public:
  template <typename T>
  void array(const char* type, const std::string& name, const std::vector<T>& values) {
    out_ << "const " << type << " " << name << "[" << values.size() << "] = {";
    for (size_t i = 0; i < values.size(); ++i) {
      if (i % 12 == 0) out_ << "\n   ";
      if constexpr (std::is_signed_v<T>) {
        out_ << " " << static_cast<int64_t>(values[i]) << ",";
      } else {
        out_ << " 0x" << std::hex << static_cast<uint64_t>(values[i]) << std::dec << ",";
      }
    }
    out_ << "\n};\n\n";
  }
  std::ostringstream& out() { return out_; }

 private:
  std::ostringstream out_;
};

// A table of 256 rows split into the rows that hold an entry, each stored once,
// and an index of 256 row numbers; row 0 holds no entry.
template <typename T>
std::pair<std::vector<uint16_t>, std::vector<T>> Rows(const std::vector<T>& full, T none) {
  std::vector<uint16_t> index(256, 0);
  std::vector<T> rows(256, none);
  std::map<std::vector<T>, uint16_t> seen;
  seen[std::vector<T>(256, none)] = 0;
  for (int r = 0; r < 256; ++r) {
    std::vector<T> row(full.begin() + r * 256, full.begin() + (r + 1) * 256);
    auto [it, added] = seen.emplace(row, static_cast<uint16_t>(seen.size()));
    if (added) rows.insert(rows.end(), row.begin(), row.end());
    index[r] = it->second;
  }
  return {index, rows};
}

std::string Bits(const std::array<bool, 256>& set) {
  std::array<uint64_t, 4> words{};
  for (int b = 0; b < 256; ++b)
    if (set[b]) words[b >> 6] |= uint64_t{1} << (b & 63);
  std::ostringstream s;
  s << "{";
  for (uint64_t w : words) s << "0x" << std::hex << w << "ull, ";
  s << "}";
  return s.str();
}

void WriteCodePage(Writer& w, const std::string& name, const FullTables& t) {
  const std::string p = "k" + name;
  w.array("char32_t", p + "Single", std::vector<char32_t>(t.single.begin(), t.single.end()));
  auto [doubleRow, doubles] = Rows(t.doubles, kNone);
  auto [tripleRow, triples] = Rows(t.triples, kNone);
  auto [encodeBlock, encodeCodes] = Rows(t.encode, uint32_t{0});
  w.array("uint8_t", p + "DoubleRow", std::vector<uint8_t>(doubleRow.begin(), doubleRow.end()));
  w.array("char32_t", p + "Doubles", doubles);
  w.array("uint8_t", p + "TripleRow", std::vector<uint8_t>(tripleRow.begin(), tripleRow.end()));
  w.array("char32_t", p + "Triples", triples);
  w.array("uint16_t", p + "EncodeBlock", encodeBlock);
  w.array("uint32_t", p + "EncodeCodes", encodeCodes);

  // The codes flagged kOtherForm, by character, for codesOf.
  std::vector<std::pair<char32_t, uint32_t>> others;
  auto note = [&](char32_t entry, std::initializer_list<unsigned char> bytes) {
    if (entry == kNone || entry < kOtherForm) return;
    others.emplace_back(entry & ~kOtherForm,
                        PackCode(std::data(bytes), static_cast<int>(bytes.size())));
  };
  bool hasTriples = false;
  for (int b = 0; b < 256; ++b) note(t.single[b], {static_cast<unsigned char>(b)});
  for (int code = 0; code < 65536; ++code) {
    const auto hi = static_cast<unsigned char>(code >> 8), lo = static_cast<unsigned char>(code);
    note(t.doubles[code], {hi, lo});
    note(t.triples[code], {0x8F, hi, lo});
    hasTriples = hasTriples || t.triples[code] != kNone;
  }
  std::stable_sort(others.begin(), others.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<char32_t> otherChars;
  std::vector<uint32_t> otherCodes;
  for (const auto& [c, code] : others) {
    otherChars.push_back(c);
    otherCodes.push_back(code);
  }
  otherChars.push_back(kNone);  // no array is empty
  otherCodes.push_back(0);
  w.array("char32_t", p + "OtherChars", otherChars);
  w.array("uint32_t", p + "OtherCodes", otherCodes);

  // Where characters begin and end whatever comes before: a byte that is no other
  // than the first byte of any code always begins a character; one that is no other
  // than the last byte of any code always ends one (the decoder reads a byte that is
  // a character of its own as that character).
  std::array<bool, 256> notFirst{}, notLast{};
  for (int code = 0; code < 65536; ++code) {
    const int hi = code >> 8, lo = code & 0xFF;
    if (t.doubles[code] != kNone) {
      notFirst[lo] = true;
      notLast[hi] = true;
    }
    if (t.triples[code] != kNone) {
      notFirst[hi] = notFirst[lo] = true;
      notLast[0x8F] = notLast[hi] = true;
    }
  }
  std::array<bool, 256> starts{}, ends{};
  bool asciiIdentity = true;
  for (int b = 0; b < 256; ++b) {
    starts[b] = !notFirst[b];
    ends[b] = !notLast[b] || (t.single[b] != kNone && !(b == 0x8F && hasTriples));
    if (b < 0x80) asciiIdentity = asciiIdentity && t.single[b] == char32_t(b);
  }
  // A byte read as a character of its own may still be the middle of a triple.
  for (int code = 0; code < 65536; ++code)
    if (t.triples[code] != kNone) ends[code >> 8] = false;

  w.out() << "const CodePageTables " << p << "Tables = {\n"
          << "    " << p << "Single, " << p << "DoubleRow, " << p << "Doubles, " << p
          << "TripleRow, " << p << "Triples,\n"
          << "    " << p << "EncodeBlock, " << p << "EncodeCodes, " << p << "OtherChars, " << p
          << "OtherCodes, " << others.size() << ",\n"
          << "    " << Bits(starts) << ",\n    " << Bits(ends) << ",\n    "
          << (asciiIdentity ? "true" : "false") << ", " << (hasTriples ? "true" : "false")
          << "};\n\n";
}

char32_t Fold(char32_t c) {
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}
char32_t Upper(char32_t c) {
  return static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
}

// A case rule as the difference it makes to each code point, in blocks of 128
// code points, each stored once, and an index of blocks.
void WriteCaseMap(Writer& w, const std::string& name, char32_t (*rule)(char32_t)) {
  constexpr uint32_t kBlock = kadrel::tables::kCaseBlock;
  std::vector<uint16_t> index;
  std::vector<int32_t> deltas;
  std::map<std::vector<int32_t>, uint16_t> seen;
  for (uint32_t first = 0; first < 0x110000; first += kBlock) {
    std::vector<int32_t> block(kBlock);
    for (uint32_t k = 0; k < kBlock; ++k)
      block[k] = static_cast<int32_t>(rule(first + k)) - static_cast<int32_t>(first + k);
    auto [it, added] = seen.emplace(block, static_cast<uint16_t>(seen.size()));
    if (added) deltas.insert(deltas.end(), block.begin(), block.end());
    index.push_back(it->second);
  }
  const std::string p = "k" + name;
  w.array("uint16_t", p + "Index", index);
  w.array("int32_t", p + "Deltas", deltas);
  w.out() << "const CaseMap " << p << " = {" << p << "Index, " << p << "Deltas};\n\n";
}

// Per rule, the characters it changes, by what it makes of them. A character that
// folding or upper-casing changes is in one of ICU's sets "changes when case
// folded" or "changes when upper-cased" (U+1FBE, which folds but is outside the
// first, is in the second).
void WritePreimages(Writer& w, const std::string& name, char32_t (*rule)(char32_t)) {
  std::set<std::pair<char32_t, char32_t>> pairs;  // (what the rule makes, character)
  for (UProperty property : {UCHAR_CHANGES_WHEN_CASEFOLDED, UCHAR_CHANGES_WHEN_UPPERCASED}) {
    UErrorCode err = U_ZERO_ERROR;
    const USet* set = u_getBinaryPropertySet(property, &err);
    if (U_FAILURE(err)) throw std::runtime_error("no case property set");
    for (int32_t r = 0; r < uset_getItemCount(set); ++r) {
      UChar32 first, last;
      err = U_ZERO_ERROR;
      if (uset_getItem(set, r, &first, &last, nullptr, 0, &err) != 0) continue;  // a string
      for (UChar32 c = first; c <= last; ++c) {
        const char32_t to = rule(static_cast<char32_t>(c));
        if (to != static_cast<char32_t>(c)) pairs.emplace(to, static_cast<char32_t>(c));
      }
    }
  }
  std::vector<char32_t> to, from;
  for (const auto& [t, f] : pairs) {
    to.push_back(t);
    from.push_back(f);
  }
  const std::string p = "k" + name;
  w.array("char32_t", p + "To", to);
  w.array("char32_t", p + "From", from);
  w.out() << "const CasePreimages " << p << " = {" << p << "To, " << p << "From, " << to.size()
          << "};\n\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: generate_text_tables OUTPUT.cpp\n";
    return 2;
  }
  try {
    Writer w;
    w.out() << "// Written by generate_text_tables from ICU " << U_ICU_VERSION
            << " at build time; not edited by hand.\n"
            << "#include \"text/text_tables.h\"\n\nnamespace kadrel::tables {\n\n";
    WriteCodePage(w, "Cp932", ProbeCodePage("windows-31j", false));
    WriteCodePage(w, "EucJp", ProbeCodePage("EUC-JP", true));
    WriteCaseMap(w, "FoldCaseMap", &Fold);
    WriteCaseMap(w, "UpperCaseMap", &Upper);
    WritePreimages(w, "FoldPreimages", &Fold);
    WritePreimages(w, "UpperPreimages", &Upper);
    w.out() << "}  // namespace kadrel::tables\n";
    u_cleanup();
    // Written whole to a temporary and renamed, so that a failed run leaves no
    // half file that the build would take for done.
    const std::string temporary = std::string(argv[1]) + ".part";
    std::ofstream file(temporary, std::ios::binary);
    file << w.out().str();
    file.close();
    if (!file || std::rename(temporary.c_str(), argv[1]) != 0) {
      std::cerr << "generate_text_tables: cannot write " << argv[1] << "\n";
      return 1;
    }
  } catch (const std::exception& e) {
    std::cerr << "generate_text_tables: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
