// Lookup tables of the multi-byte code pages and of letter case, made from ICU at
// build time (tables/generate_text_tables.cpp writes them into the build tree), so
// that a run builds none: it pays only for the pages of them it touches.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kadrel::tables {

// A decoding table entry that is no character.
inline constexpr char32_t kNone = 0xFFFFFFFF;
// Flags a decoding table entry whose code is not the one the encoder writes for
// its character; entries from it up (kNone too) are no plain character.
inline constexpr char32_t kOtherForm = 0x40000000;

// The tables of one code page. Rows of 256 entries hold the codes that share a
// first byte; a byte's row number picks its row, and row 0 holds no entry.
struct CodePageTables {
  const char32_t* single;       // [byte]: one-byte codes
  const uint8_t* doubleRow;     // [lead byte]: its row in doubles
  const char32_t* doubles;      // [row * 256 + trail byte]
  const uint8_t* tripleRow;     // [second byte of an 0x8F code]: its row in triples
  const char32_t* triples;      // [row * 256 + third byte]
  const uint16_t* encodeBlock;  // [code point >> 8]: its row in encodeCodes (BMP)
  const uint32_t* encodeCodes;  // [row * 256 + (code point & 0xFF)]: the code the
                                // encoder writes, (length << 24) | bytes; 0 for none
  const char32_t* otherChars;   // the characters with codes flagged kOtherForm, sorted
  const uint32_t* otherCodes;   // those codes, as encodeCodes holds them
  size_t otherCount;
  uint64_t startsChar[4];  // bytes that begin a character wherever they stand
  uint64_t endsChar[4];    // bytes that end one wherever they stand
  bool asciiIdentity;      // the bytes 0x00..0x7F are the characters U+0000..U+007F
  bool hasTriples;

  char32_t doubleAt(unsigned char lead, unsigned char trail) const {
    return doubles[doubleRow[lead] * 256 + trail];
  }
  char32_t tripleAt(unsigned char second, unsigned char third) const {
    return triples[tripleRow[second] * 256 + third];
  }
  uint32_t encodeAt(char32_t c) const {
    return c < 0x10000 ? encodeCodes[encodeBlock[c >> 8] * 256 + (c & 0xFF)] : 0;
  }
};

extern const CodePageTables kCp932Tables;  // "windows-31j"
extern const CodePageTables kEucJpTables;  // "EUC-JP"

// A case rule, one code point to one: the code point c becomes c plus
// deltas[index[c / kCaseBlock] * kCaseBlock + c % kCaseBlock].
inline constexpr uint32_t kCaseBlock = 128;
struct CaseMap {
  const uint16_t* index;  // [0x110000 / kCaseBlock]
  const int32_t* deltas;
  char32_t operator()(char32_t c) const {
    if (c >= 0x110000) return c;
    return static_cast<char32_t>(static_cast<int32_t>(c) +
                                 deltas[index[c / kCaseBlock] * kCaseBlock + c % kCaseBlock]);
  }
};

extern const CaseMap kFoldCaseMap;   // Unicode simple case folding
extern const CaseMap kUpperCaseMap;  // Unicode simple upper-casing

// The characters that a case rule changes, by what it makes of them: pairs
// (to[i], from[i]) sorted by to, then from.
struct CasePreimages {
  const char32_t* to;
  const char32_t* from;
  size_t count;
};

extern const CasePreimages kFoldPreimages;   // Unicode simple case folding
extern const CasePreimages kUpperPreimages;  // Unicode simple upper-casing

}  // namespace kadrel::tables
