#include <gtest/gtest.h>

#include <random>

#include "core/conversions.h"
#include "core/run_error.h"
#include "core/text/case_fold.h"
#include "core/text/code_page.h"
#include "core/text/utf.h"

namespace kadrel {
namespace {

const CodePage kAllCodePages[] = {CodePage::CP932, CodePage::UTF8, CodePage::EUCJP};

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
    // all two-byte sequences, then random strings
    for (int a = 0; a < 256; ++a) {
      for (int b = 0; b < 256; ++b) {
        std::string s{static_cast<char>(a), static_cast<char>(b)};
        ASSERT_EQ(codec.encode(codec.decode(s)), s) << CodePageName(cp) << " " << a << " " << b;
      }
    }
    for (int i = 0; i < 2000; ++i) {
      std::string s(rng() % 40, '\0');
      for (char& ch : s) ch = static_cast<char>(rng() & 0xFF);
      ASSERT_EQ(codec.encode(codec.decode(s)), s) << CodePageName(cp);
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

// The shortcuts for ASCII and the caseless CJK blocks agree with the full tables
// for every code point.
TEST(CaseTest, ShortcutsAgreeWithTheTablesEverywhere) {
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    ASSERT_EQ(FoldCase(c), FoldCaseByTable(c)) << static_cast<uint32_t>(c);
    ASSERT_EQ(ToUpper(c), ToUpperByTable(c)) << static_cast<uint32_t>(c);
  }
}

TEST(ConversionsTest, ReadsNumbersLikeTheClassicConversions) {
  struct Case {
    const char* text;
    std::optional<int16_t> value;
  } cases[] = {
      {"0", 0},   {" 12 ", 12}, {"-5", -5},       {"+7", 7},          {"2.5", 2},
      {"3.5", 4}, {"1e2", 100}, {"32767", 32767}, {"-32768", -32768}, {"32768", {}},
      {"", {}},   {"abc", {}},  {"1x", {}},       {".", {}},          {"000100", 100},
  };
  for (const auto& c : cases) EXPECT_EQ(TryReadInteger(c.text), c.value) << c.text;
}

TEST(ConversionsTest, FailuresCarryTheirErrorNumbers) {
  auto number = [](auto fn) {
    try {
      fn();
    } catch (const RunError& e) {
      return e.number();
    }
    return 0;
  };
  EXPECT_EQ(number([] { ReadInteger("x"); }), 13);
  EXPECT_EQ(number([] { ReadInteger("40000"); }), 6);
  EXPECT_EQ(number([] { ReadFlag(""); }), 13);
  EXPECT_EQ(number([] { ReadBoolean("maybe"); }), 13);
  EXPECT_TRUE(ReadBoolean("true"));
  EXPECT_FALSE(ReadBoolean("False"));
  EXPECT_TRUE(ReadBoolean("-1"));
  EXPECT_FALSE(ReadBoolean("0"));
  EXPECT_EQ(ReadFlag(" 1 "), 1.0);
}

}  // namespace
}  // namespace kadrel
