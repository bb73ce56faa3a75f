#include "text/byte_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/every_code.h"
#include "text/utf.h"

namespace kadrel {
namespace {

constexpr size_t npos = std::string_view::npos;

std::string Sjis(std::string_view utf8) {
  return CodecFor(CodePage::CP932).encode(Utf8ToU32(utf8));
}

// Where a text's needle first stands in bytes; "none" when the text has no needle.
std::string FirstPlace(std::u32string_view text, CodePage cp, CaseRule rule,
                       std::string_view bytes) {
  std::optional<ByteNeedle> needle = NeedleFor({std::u32string(text)}, CodecFor(cp), rule);
  if (!needle) return "none";
  const size_t at = needle->find(bytes);
  return at == npos ? "nowhere" : std::to_string(at);
}

TEST(ByteNeedleTest, StandsWhereverACodeOfTheTextMayStand) {
  struct Case {
    const char* name;
    std::u32string text;
    CodePage cp;
    CaseRule rule;
    std::string bytes;
    std::string place;
  } cases[] = {
      {"ascii", U"ERROR", CodePage::CP932, CaseRule::Exact, "an ERROR", "3"},
      {"trail byte of ウ (83 45): a candidate", U"ERROR", CodePage::CP932, CaseRule::Exact,
       Sjis("ウRROR"), "1"},
      {"case kept", U"ERROR", CodePage::CP932, CaseRule::Exact, "error", "nowhere"},
      {"upper-cased", U"ERROR", CodePage::CP932, CaseRule::Upper, "x eRrOr", "2"},
      {"full-width letters folded", U"ａｂ", CodePage::CP932, CaseRule::Fold, Sjis("xＡＢ"), "1"},
      {"full-width, EUC-JP", U"ａ", CodePage::EUCJP, CaseRule::Fold, "\xA3\xC1", "0"},
      {"both codes of 纊", U"纊", CodePage::CP932, CaseRule::Exact, "ab\xED\x40", "2"},
      {"roman numeral in its IBM code", U"ⅰ", CodePage::CP932, CaseRule::Fold, "\xFA\x4A", "0"},
      {"a byte escape", U"\xDC81", CodePage::CP932, CaseRule::Exact, "ab\x81", "2"},
      {"no code in the code page", U"€", CodePage::CP932, CaseRule::Exact, "\x80", "nowhere"},
      // k folds from the three-byte Kelvin sign: the needle leaves it out.
      {"kelvin sign", U"k", CodePage::UTF8, CaseRule::Fold, "k", "none"},
      {"the rest of the text", U"kit", CodePage::UTF8, CaseRule::Fold, "\xE2\x84\xAAIT", "3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FirstPlace(c.text, c.cp, c.rule, c.bytes), c.place) << c.name;
  }
}

// The needle at every place of a text longer than what one probe round covers,
// and never running past its end.
TEST(ByteNeedleTest, FindsEveryPlaceUpToTheEnd) {
  for (const std::u32string text : {U"Q", U"QZ", U"QxyzZ"}) {
    const std::string code = U32ToUtf8(text);
    for (size_t length = 0; length < 70; ++length) {
      for (size_t at = 0; at + code.size() <= length; ++at) {
        std::string bytes(length, 'a');
        bytes.replace(at, code.size(), code);
        EXPECT_EQ(FirstPlace(text, CodePage::UTF8, CaseRule::Exact, bytes), std::to_string(at));
        EXPECT_EQ(FirstPlace(text, CodePage::UTF8, CaseRule::Exact,
                             bytes.substr(0, at + code.size() - 1)),
                  "nowhere");
      }
    }
  }
}

TEST(ByteNeedleTest, NeedlesOverAStreamKeepTheirPlaces) {
  const std::optional<ByteNeedle> a = NeedleFor({U"ab"}, CodecFor(CodePage::UTF8), CaseRule::Exact);
  const std::optional<ByteNeedle> c = NeedleFor({U"c"}, CodecFor(CodePage::UTF8), CaseRule::Exact);
  NeedleSet set;
  set.add(*a);
  set.add(*c);
  const std::string stream =
      "xxabxxxxcxxxxxxa"
      "bxx";
  EXPECT_EQ(set.find(std::string_view(stream).substr(0, 16), 0), 2u);
  EXPECT_EQ(set.find(std::string_view(stream).substr(3, 13), 3), 5u);   // c at 8
  EXPECT_EQ(set.find(std::string_view(stream).substr(9, 7), 9), npos);  // "a" then the edge
  EXPECT_EQ(set.find(std::string_view(stream).substr(12), 12), 3u);     // ab across the edge
}

// An exact needle stands at a character start exactly where the text stands, as
// the rule compares: over texts mixing every code of the text's characters (and
// of what the rule makes equal to them), codes of other characters and stray bytes.
TEST(ByteNeedleTest, AnExactNeedleStandsAtCharacterStartsOnlyWhereItsTextDoes) {
  struct Case {
    const char* name;
    std::u32string text;
    CodePage cp;
    CaseRule rule;
    bool exact;
  } cases[] = {
      {"ascii", U"done", CodePage::CP932, CaseRule::Exact, true},
      {"upper-cased ascii", U"ERROR", CodePage::CP932, CaseRule::Upper, true},
      {"kanji of lead-range bytes", U"字E", CodePage::CP932, CaseRule::Exact, true},
      {"half-width kana", U"ｱｲ", CodePage::CP932, CaseRule::Exact, true},
      {"EUC-JP, JIS X 0212", U"丂あ", CodePage::EUCJP, CaseRule::Exact, true},
      {"UTF-8", U"あa", CodePage::UTF8, CaseRule::Exact, true},
      // Two codes of two bytes each: their bytes may mix into a third character.
      {"full-width letters folded", U"ａ", CodePage::CP932, CaseRule::Fold, false},
      {"both codes of 纊", U"纊", CodePage::CP932, CaseRule::Exact, false},
      {"codes of two lengths", U"kit", CodePage::UTF8, CaseRule::Fold, false},
      // Its byte, 81, may begin a two-byte code.
      {"a byte escape", U"\xDC81", CodePage::CP932, CaseRule::Exact, false},
  };
  std::mt19937 rng(11);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TextCodec& codec = CodecFor(c.cp);
    EXPECT_EQ(NeedleIsExact(c.text, codec, c.rule), c.exact);
    if (!c.exact) continue;
    const std::optional<ByteNeedle> needle = NeedleFor({c.text}, codec, c.rule);
    ASSERT_TRUE(needle);
    auto apply = [&](std::u32string text) {
      if (c.rule == CaseRule::Upper) ToUpperInPlace(text);
      if (c.rule == CaseRule::Fold) FoldCaseInPlace(text);
      return text;
    };
    const std::u32string key = apply(c.text);
    std::vector<std::string> pieces = {"\x81",
                                       "\x8E",
                                       "\x9A",
                                       "\x8F",
                                       "\xE3",
                                       "a",
                                       " ",
                                       codec.encode(c.text),
                                       codec.encode(c.text)};
    for (char32_t ch : key) {
      for (char32_t variant : CaseVariants(ch, c.rule))
        for (const std::string& code : codec.codesOf(variant)) pieces.push_back(code);
    }
    for (const auto& reading : test::EveryCode(c.cp)) {
      if (rng() % 512 == 0) pieces.push_back(reading.code);
    }
    std::string bytes;
    for (int k = 0; k < 20000; ++k) bytes += pieces[rng() % pieces.size()];
    std::u32string chars;
    std::vector<uint32_t> starts;
    codec.decodePart(bytes, chars, true, &starts);
    chars = apply(chars);
    size_t hits = 0;
    for (size_t k = 0; k < starts.size(); ++k) {
      const bool stands = needle->find(bytes, starts[k]) == starts[k];
      const bool holds = std::u32string_view(chars).substr(k, key.size()) == key;
      ASSERT_EQ(stands, holds) << "at byte " << starts[k];
      hits += holds;
    }
    EXPECT_GT(hits, 10u);
  }
}

TEST(LineEndsTest, CountsCrsAndCrLfs) {
  for (size_t length = 1; length < 50; ++length) {
    for (size_t at = 0; at < length; ++at) {
      std::string bytes(length, 'x');
      bytes[at] = '\r';
      if (at + 1 < length && at % 2 == 0) bytes[at + 1] = '\n';
      if (length > 20) bytes[length - 1 - at % 5] = '\r';
      size_t crs = 0, crLfs = 0;
      for (size_t i = 0; i < length; ++i) {
        crs += bytes[i] == '\r';
        crLfs += bytes[i] == '\r' && i + 1 < length && bytes[i + 1] == '\n';
      }
      const LineEndCount count = CountLineEnds(bytes, true);
      EXPECT_EQ(count.crs, crs) << length << " " << at;
      EXPECT_EQ(count.crLfs, crLfs) << length << " " << at;
      EXPECT_EQ(CountLineEnds(bytes, false).crs, crs);
    }
  }
  EXPECT_EQ(CountLineEnds(std::string(5000, '\r'), false).crs, 5000u);  // more than 255 rounds
}

}  // namespace
}  // namespace kadrel
