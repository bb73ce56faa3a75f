#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <random>

#include "support/every_code.h"
#include "text/case_fold.h"
#include "text/code_page.h"
#include "text/typed_text.h"
#include "text/utf.h"

namespace kadrel {
namespace {

const CodePage kAllCodePages[] = {CodePage::CP932, CodePage::UTF8, CodePage::EUCJP};

// The bytes decoded, prefix put before their text, and encoded again with the
// byte forms the decoding noted.
std::string Rewritten(const TextCodec& codec, const std::string& bytes,
                      const std::u32string& prefix = U"") {
  ByteForms forms;
  std::u32string text;
  codec.decode(bytes, text, &forms);
  std::string out;
  codec.encode(prefix + text, out, &forms);
  return out;
}

TEST(CodePageTest, DecodesKnownCharacters) {
  struct Case {
    CodePage cp;
    std::string bytes;
    std::u32string text;
  } cases[] = {
      {CodePage::CP932, "\x82\xa0\x88\x9f", U"あ亜"},
      {CodePage::CP932, "\xb1\x5c\x81\x40", U"ｱ\\\u3000"},  // half-width kana, backslash
      {CodePage::CP932, "\x95\x5c", U"表"},                 // trail byte 0x5C stays inside
      {CodePage::CP932, "\x87\x40", U"①"},                  // NEC special row
      {CodePage::UTF8, "\xe3\x81\x82\xf0\x9f\x98\x80", U"あ😀"},
      {CodePage::EUCJP, "\xa4\xa2\x8e\xb1", U"あｱ"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CodecFor(c.cp).decode(c.bytes), c.text) << CodePageName(c.cp);
    EXPECT_EQ(CodecFor(c.cp).encode(c.text), c.bytes) << CodePageName(c.cp);
  }
}

TEST(CodePageTest, EveryCodeIsTheOneCharacterIcuReadsAndKeepsItsBytes) {
  struct Case {
    CodePage cp;
    size_t atLeast;         // characters the code page's standards define
    long writtenOtherwise;  // codes whose character is written as another code; -1: unchecked
  } cases[] = {
      // JIS X 0208, NEC row 13, NEC-selected and IBM extensions; the user-defined area.
      {CodePage::CP932, 6879 + 83 + 374 + 388 + 1880, 398},
      // Half-width kana, JIS X 0208, JIS X 0212.
      {CodePage::EUCJP, 63 + 6879 + 6067, -1},
      {CodePage::UTF8, 0x10FFFF + 1 - 0x800 - 0x80, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(CodePageName(c.cp));
    const TextCodec& codec = CodecFor(c.cp);
    const std::vector<test::CodeReading> codes = test::EveryCode(c.cp);
    long otherwise = 0;
    for (const auto& [code, reading] : codes) {
      ASSERT_EQ(codec.decode(code), std::u32string(1, reading)) << testing::PrintToString(code);
      ASSERT_EQ(Rewritten(codec, code, U"a"), "a" + code);
      otherwise += codec.encode(std::u32string(1, reading)) != code;
    }
    EXPECT_GE(codes.size(), c.atLeast);
    if (c.writtenOtherwise >= 0) {
      EXPECT_EQ(otherwise, c.writtenOtherwise);
    }
  }
}

// The extensions read as Windows reads them, and written as Windows writes them.
TEST(CodePageTest, Cp932ExtensionsAsWindowsReadsAndWritesThem) {
  struct Case {
    std::string code;
    std::u32string text;
    std::string written;  // the code Windows writes for the character
  } cases[] = {
      {"\xEE\xE0", U"髙", "\xFB\xFC"},  // NEC-selected IBM extension
      {"\xED\x95", U"﨑", "\xFA\xB1"}, {"\xED\x40", U"纊", "\xFA\x5C"},
      {"\x87\x90", U"≒", "\x81\xE0"},  // NEC row 13, in JIS X 0208 as well
      {"\xFA\x4A", U"Ⅰ", "\x87\x54"},  // IBM extension, in NEC row 13 as well
      {"\xFA\x54", U"￢", "\x81\xCA"}, {"\xEE\xF9", U"￢", "\x81\xCA"},
      {"\xFA\x5B", U"∵", "\x81\xE6"},  {"\xF0\x40", U"\uE000", "\xF0\x40"},  // user-defined area
  };
  const TextCodec& codec = CodecFor(CodePage::CP932);
  for (const Case& c : cases) {
    EXPECT_EQ(codec.decode(c.code), c.text) << testing::PrintToString(c.code);
    EXPECT_EQ(codec.encode(c.text), c.written) << testing::PrintToString(c.code);
  }
}

TEST(TypedTextTest, JisReadingsMeetTheCodePage) {
  const std::u32string jis = U"〜‖−¢£¬—";
  const std::u32string microsoft = U"～∥－￠￡￢―";
  struct Case {
    CodePage cp;
    std::u32string typed, mapped;
    std::optional<char32_t> unwritable;
  } cases[] = {
      {CodePage::CP932, jis, microsoft, {}},
      {CodePage::CP932, microsoft, microsoft, {}},
      {CodePage::EUCJP, jis, microsoft, {}},  // ICU's EUC-JP reads A1C1 as U+FF5E, and so on
      {CodePage::UTF8, jis, jis, {}},
      {CodePage::UTF8, microsoft, microsoft, {}},
      {CodePage::CP932, U"a😀b€", U"a😀b€", U'😀'},
      {CodePage::CP932, U"x€", U"x€", U'€'},
      {CodePage::EUCJP, U"€", U"€", U'€'},
      {CodePage::UTF8, U"😀€", U"😀€", {}},
      {CodePage::CP932, U"\xDC81", U"\xDC81", {}},  // a byte escape writes its byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(CodePageName(c.cp));
    EXPECT_EQ(TypedText(U32ToUtf8(c.typed), c.cp), c.mapped);
    EXPECT_EQ(FirstUnwritable(c.mapped, c.cp), c.unwritable);
  }
  EXPECT_EQ(CharacterForMessage(U'😀'), "😀 (U+1F600)");
}

TEST(CodePageTest, InvalidBytesBecomeEscapesAndRoundTrip) {
  struct Case {
    CodePage cp;
    std::string bytes;
    std::u32string text;
  } cases[] = {
      {CodePage::CP932, "\x82", U"\xdc82"},                     // lead byte at the end
      {CodePage::CP932, "\x82 a", U"\xdc82 a"},                 // lead byte with a bad trail
      {CodePage::UTF8, "\xc3(", U"\xdcc3("},                    // truncated sequence
      {CodePage::UTF8, "\xed\xa0\x80", U"\xdced\xdca0\xdc80"},  // encoded surrogate
      {CodePage::UTF8, "\xc0\xaf", U"\xdcc0\xdcaf"},            // overlong slash
      {CodePage::EUCJP, "\xa4", U"\xdca4"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CodecFor(c.cp).decode(c.bytes), c.text) << CodePageName(c.cp);
    EXPECT_EQ(CodecFor(c.cp).encode(CodecFor(c.cp).decode(c.bytes)), c.bytes);
  }
}

TEST(CodePageTest, EveryByteStringRoundTrips) {
  std::mt19937 rng(42);
  for (CodePage cp : kAllCodePages) {
    const TextCodec& codec = CodecFor(cp);
    // all two-byte sequences, unchanged and changed, then random strings
    for (int a = 0; a < 256; ++a) {
      for (int b = 0; b < 256; ++b) {
        std::string s{static_cast<char>(a), static_cast<char>(b)};
        ASSERT_EQ(Rewritten(codec, s), s) << CodePageName(cp) << " " << a << " " << b;
        ASSERT_EQ(Rewritten(codec, s, U"x"), "x" + s) << CodePageName(cp) << " " << a << " " << b;
      }
    }
    for (int i = 0; i < 2000; ++i) {
      std::string s(rng() % 40, '\0');
      for (char& ch : s) ch = static_cast<char>(rng() & 0xFF);
      ASSERT_EQ(Rewritten(codec, s), s) << CodePageName(cp);
      // A character held in two codes in one text keeps one of them when it changes.
      ASSERT_EQ(codec.decode(Rewritten(codec, s, U"x")), U"x" + codec.decode(s));
    }
  }
}

TEST(CodePageTest, UnmappableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(CodecFor(CodePage::CP932).encode(U"a😀b"), "a?b");
  EXPECT_EQ(CodecFor(CodePage::EUCJP).encode(U"😀"), "?");
}

TEST(CodePageTest, ParsesNames) {
  EXPECT_EQ(ParseCodePage("cp932"), CodePage::CP932);
  EXPECT_EQ(ParseCodePage("Shift_JIS"), CodePage::CP932);
  EXPECT_EQ(ParseCodePage("utf8"), CodePage::UTF8);
  EXPECT_EQ(ParseCodePage("EUC-JP"), CodePage::EUCJP);
  EXPECT_FALSE(ParseCodePage("latin1"));
}

TEST(Utf8Test, InternalStringsKeepStrayBytes) {
  std::string name =
      "a\xff"
      "b.txt";
  EXPECT_EQ(U32ToUtf8(Utf8ToU32(name)), name);
  EXPECT_EQ(Utf8ToU32("あa"), U"あa");
  EXPECT_EQ(CodePointCount("あいa"), 3u);
}

TEST(CaseTest, FoldsAndUpperCasesOneToOne) {
  EXPECT_EQ(FoldCase(std::u32string_view(U"ABCａＢ")), U"abcａｂ");
  EXPECT_EQ(ToUpper(std::u32string_view(U"abcｚß")),
            U"ABCＺß");  // ß has no one-character upper case
  EXPECT_TRUE(EqualsIgnoreCase("Notes.TXT_sel", "notes.txt_SEL"));
  EXPECT_TRUE(EndsWithIgnoreCase("a.txt_BK", "_bk"));
  EXPECT_TRUE(StartsWithIgnoreCase("OLD_a.txt", "old_"));
  EXPECT_TRUE(ContainsIgnoreCase("*.TXT;*.csv", ".txt"));
  EXPECT_FALSE(ContainsIgnoreCase("*.txt", ".csv"));
}

// The tables the build made, and the shortcuts for ASCII and the caseless CJK
// blocks, agree with ICU for every code point.
TEST(CaseTest, TablesAndShortcutsAgreeWithIcuEverywhere) {
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    const auto folded =
        static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
    const auto upper = static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
    ASSERT_EQ(FoldCaseByTable(c), folded) << static_cast<uint32_t>(c);
    ASSERT_EQ(ToUpperByTable(c), upper) << static_cast<uint32_t>(c);
    ASSERT_EQ(FoldCase(c), folded) << static_cast<uint32_t>(c);
    ASSERT_EQ(ToUpper(c), upper) << static_cast<uint32_t>(c);
  }
}

// What a byte prefilter looks for: every character a text comparison makes equal
// to a given one.
TEST(CaseTest, EveryCharacterIsAVariantOfWhatTheRuleMakesOfIt) {
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    for (CaseRule rule : {CaseRule::Fold, CaseRule::Upper}) {
      const char32_t key = rule == CaseRule::Fold ? FoldCaseByTable(c) : ToUpperByTable(c);
      if (key == c) continue;
      const std::vector<char32_t> variants = CaseVariants(key, rule);
      ASSERT_NE(std::find(variants.begin(), variants.end(), c), variants.end())
          << static_cast<uint32_t>(c);
    }
  }
  auto sorted = [](std::vector<char32_t> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  EXPECT_EQ(sorted(CaseVariants(U'k', CaseRule::Fold)),
            (std::vector<char32_t>{U'K', U'k', 0x212A}));
  EXPECT_EQ(sorted(CaseVariants(U'I', CaseRule::Upper)),
            (std::vector<char32_t>{U'I', U'i', 0x131}));
  EXPECT_EQ(CaseVariants(U'a', CaseRule::Upper),
            std::vector<char32_t>{});  // upper-casing gives no a
}

// A text that comes in parts decodes to the characters it decodes to whole, however
// it is cut; advance walks them as decode reads them.
TEST(CodePageTest, DecodesTextsInParts) {
  struct Case {
    CodePage cp;
    std::string bytes;
    std::u32string text;
  } cases[] = {
      {CodePage::CP932,
       "\x82\xA0"
       "a\xB1\x95\x5C\x82",
       U"あaｱ表\xDC82"},
      {CodePage::EUCJP,
       "\x8F\xB0\xA1"
       "a\xA4\xA2\x8E\xB1\x8F",
       U"丂aあｱ\xDC8F"},
      {CodePage::UTF8,
       "\xF0\x9F\x98\x80"
       "a\xE3\x81\x82\xE3\x81",
       U"😀aあ\xDCE3\xDC81"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(CodePageName(c.cp));
    const TextCodec& codec = CodecFor(c.cp);
    for (size_t cut1 = 0; cut1 <= c.bytes.size(); ++cut1) {
      for (size_t cut2 = cut1; cut2 <= c.bytes.size(); ++cut2) {
        std::u32string text;
        std::string carried;
        for (auto [from, to] : {std::pair{size_t{0}, cut1}, {cut1, cut2}, {cut2, c.bytes.size()}}) {
          carried += c.bytes.substr(from, to - from);
          const size_t used = codec.decodePart(carried, text, to == c.bytes.size());
          carried.erase(0, used);
        }
        ASSERT_EQ(text, c.text) << cut1 << " " << cut2;
      }
    }
    size_t offset = 0;
    for (char32_t ch : c.text) {
      const size_t next = codec.advance(c.bytes, offset, 1);
      EXPECT_EQ(codec.decode(c.bytes.substr(offset, next - offset)), std::u32string(1, ch));
      offset = next;
    }
    EXPECT_EQ(offset, c.bytes.size());
    EXPECT_EQ(codec.advance(c.bytes, 0, 99), c.bytes.size());
  }
}

// Where characters begin, found from a few bytes around an offset, is where decode
// begins them, wherever the offset and the point known to begin one lie: over
// codes of every length, stray bytes, and runs of bytes that can both lead and
// trail (where only the walk from the point known tells the pairs apart).
TEST(CodePageTest, FindsWhereCharactersBeginNearAnyOffset) {
  struct Case {
    CodePage cp;
    std::string bytes;  // besides a sample of every code and stray bytes
  } cases[] = {
      {CodePage::CP932, "\x9A\x8E\x9A\x8E\x9A\x8E\x9A\x8E\x9A"},  // 字字字字 shifted by one
      {CodePage::CP932, "\x8E\x9A\x8E\x9A\x8E\x9A\x8E\x9A\x81"},
      {CodePage::EUCJP, "\xBB\xFA\xBB\xFA\xBB\xFA\x8F\xB0\xA1\xBB"},  // 字字字丂, then a lead
      {CodePage::EUCJP, "\xFA\xBB\xFA\xBB\xFA\x8E\xB1\x8E"},
      {CodePage::UTF8, "\xE3\x81\x82\x81\x82\xE3\x81\xF0\x9F\x98\x80\xC0\x80"},
  };
  std::mt19937 rng(5);
  for (const Case& c : cases) {
    SCOPED_TRACE(CodePageName(c.cp));
    const TextCodec& codec = CodecFor(c.cp);
    const std::vector<test::CodeReading> codes = test::EveryCode(c.cp);
    std::string bytes = c.bytes;
    for (int k = 0; k < 3000; ++k) {
      bytes += rng() % 8 == 0 ? std::string(1, static_cast<char>(rng()))
                              : codes[rng() % codes.size()].code;
    }
    bytes += c.bytes;
    std::u32string chars;
    std::vector<uint32_t> starts;
    codec.decodePart(bytes, chars, true, &starts);
    starts.push_back(static_cast<uint32_t>(bytes.size()));
    size_t k = 0;  // starts[k] is the last start at or before at
    for (size_t at = 0; at <= bytes.size(); ++at) {
      while (k + 1 < starts.size() && starts[k + 1] <= at) ++k;
      const size_t known = starts[k >= 7 ? k - 7 : 0];
      ASSERT_EQ(codec.charStartAtOrBefore(bytes, at, known), starts[k]) << at;
    }
  }
}

// The engines keep every space they hold back as one bit: each has one code.
TEST(CodePageTest, EachSpaceHasOneCode) {
  for (CodePage cp : kAllCodePages) {
    EXPECT_EQ(CodecFor(cp).codesOf(U'\u3000').size(), 1u) << CodePageName(cp);
    EXPECT_EQ(CodecFor(cp).codesOf(U' '), std::vector<std::string>{" "});
  }
}
}  // namespace
}  // namespace kadrel
