#include "extract/wildcard.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace kadrel {
namespace {

struct Case {
  std::u32string pattern;
  std::u32string text;
  bool whole;  // the whole text matches
  bool found;  // some part of the text matches
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << ::testing::PrintToString(c.pattern) << " / " << ::testing::PrintToString(c.text);
}

class WildcardTable : public ::testing::TestWithParam<Case> {};

TEST_P(WildcardTable, MatchesAndFinds) {
  const Case& c = GetParam();
  auto p = WildcardPattern::compile(c.pattern);
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(p->matches(c.text), c.whole);
  EXPECT_EQ(p->foundIn(c.text), c.found);
  // The same text in parts, cut anywhere (a line longer than the reading buffer).
  for (size_t cut1 = 0; cut1 <= c.text.size(); ++cut1) {
    for (size_t cut2 = cut1; cut2 <= c.text.size(); ++cut2) {
      WildcardPattern::Search search(*p);
      search.feed(std::u32string_view(c.text).substr(0, cut1));
      search.feed(std::u32string_view(c.text).substr(cut1, cut2 - cut1));
      EXPECT_EQ(search.feed(std::u32string_view(c.text).substr(cut2)), c.found)
          << cut1 << " " << cut2;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, WildcardTable,
    ::testing::Values(
        // Plain text and the empty pattern.
        Case{U"abc", U"abc", true, true}, Case{U"abc", U"xabcx", false, true},
        Case{U"abc", U"ab", false, false}, Case{U"abc", U"ABC", false, false},
        Case{U"", U"", true, true}, Case{U"", U"anything", false, true},
        // ? is exactly one character; a full-width character is one.
        Case{U"a?c", U"abc", true, true}, Case{U"a?c", U"ac", false, false},
        Case{U"a?c", U"a漢c", true, true}, Case{U"???", U"漢字か", true, true},
        Case{U"a?c", U"abbc", false, false},
        // * is any run, none included.
        Case{U"a*c", U"ac", true, true}, Case{U"a*c", U"abbbc", true, true},
        Case{U"a*c", U"abbcd", false, true}, Case{U"a*c", U"xab", false, false},
        Case{U"*", U"", true, true}, Case{U"**", U"x", true, true}, Case{U"*c", U"abc", true, true},
        Case{U"*c", U"abcd", false, true}, Case{U"a*", U"abc", true, true},
        Case{U"a*", U"bac", false, true}, Case{U"ab*ba", U"aba", false, false},
        Case{U"ab*ba", U"abba", true, true}, Case{U"*a*a*b", U"aab", true, true},
        Case{U"*a*a*b", U"abab", true, true}, Case{U"*a*a*b", U"ab", false, false},
        Case{U"a*b*c", U"acbc", true, true}, Case{U"a*b*c", U"acb", false, false},
        Case{U"a*b*c", U"xabcx", false, true},
        // # is one decimal digit 0-9 (not a full-width digit).
        Case{U"#", U"0", true, true}, Case{U"#", U"9", true, true}, Case{U"#", U"a", false, false},
        Case{U"#", U"５", false, false}, Case{U"No.##", U"No.42", true, true},
        Case{U"No.##", U"No.4x", false, false},
        // Lists, ranges and negated lists.
        Case{U"[abc]", U"b", true, true}, Case{U"[abc]", U"d", false, false},
        Case{U"[a-c]x", U"bx", true, true}, Case{U"[a-c]x", U"dx", false, false},
        Case{U"[a-cx-z]", U"y", true, true}, Case{U"[a-cx-z]", U"m", false, false},
        Case{U"[!a-c]", U"d", true, true}, Case{U"[!a-c]", U"b", false, false},
        Case{U"[!a-c]", U"", false, false}, Case{U"[!ab]", U"abz", false, true},
        Case{U"[あ-お]", U"う", true, true}, Case{U"[あ-お]", U"か", false, false},
        Case{U"[a-]", U"-", true, true}, Case{U"[-a]", U"-", true, true},
        Case{U"[!-]", U"-", false, false}, Case{U"[!-]", U"a", true, true},
        Case{U"[a-a]", U"a", true, true}, Case{U"[aa]", U"a", true, true},
        // A meta character alone in brackets stands for itself.
        Case{U"[*]", U"*", true, true}, Case{U"[*]", U"a", false, false},
        Case{U"a[*]c", U"abc", false, false}, Case{U"a[*]c", U"xa*cx", false, true},
        Case{U"[?]", U"?", true, true}, Case{U"[?]", U"x", false, false},
        Case{U"[#]", U"#", true, true}, Case{U"[#]", U"1", false, false},
        Case{U"[[]", U"[", true, true}, Case{U"[!]", U"!", true, true},
        Case{U"[!]", U"x", false, false},
        // Outside brackets these are ordinary characters.
        Case{U"a]b", U"a]b", true, true}, Case{U"!a", U"!a", true, true},
        Case{U"[[]a]", U"[a]", true, true},
        // An empty list stands for no character.
        Case{U"a[]b", U"ab", true, true}, Case{U"[]", U"", true, true},
        // Byte escapes are characters like any other.
        Case{U"?", std::u32string(1, char32_t{0xDC81}), true, true}));

TEST(WildcardCompile, UnclosedBracketIsReportedWithItsPosition) {
  for (std::u32string pattern : {U"[abc", U"ab[", U"x[!", U"[*", U"a*[b-c"}) {
    PatternIssue issue;
    issue.position = 99;
    EXPECT_FALSE(WildcardPattern::compile(pattern, &issue).has_value());
    EXPECT_EQ(issue.kind, PatternIssue::UnclosedBracket);
    EXPECT_EQ(issue.position, pattern.find(U'['));
  }
}

TEST(WildcardCompile, ReversedRangeIsReportedWithTheRange) {
  PatternIssue issue;
  EXPECT_FALSE(WildcardPattern::compile(U"x[!0-9z-a]", &issue).has_value());
  EXPECT_EQ(issue.kind, PatternIssue::ReversedRange);
  EXPECT_EQ(issue.position, 6u);
  EXPECT_EQ(issue.rangeFirst, U'z');
  EXPECT_EQ(issue.rangeLast, U'a');
}

TEST(WildcardCompile, ABracketClosedLaterIsNotIllFormed) {
  EXPECT_TRUE(WildcardPattern::compile(U"[ab]]").has_value());
  EXPECT_TRUE(WildcardPattern::compile(U"]").has_value());
}

// Many stars against a long text that matches only at its very end.
TEST(WildcardSearch, ManyStarsOnALongText) {
  std::u32string text(200000, U'a');
  auto p = WildcardPattern::compile(U"*a*a*a*a*a*a*a*a*a*a*b");
  ASSERT_TRUE(p.has_value());
  EXPECT_FALSE(p->matches(text));
  EXPECT_FALSE(p->foundIn(text));
  text.back() = U'b';
  EXPECT_TRUE(p->matches(text));
}

// Straightforward backtracking over "*", "?", "#" and letters, for short inputs only.
bool ReferenceMatch(std::u32string_view p, std::u32string_view t) {
  if (p.empty()) return t.empty();
  if (p[0] == U'*') {
    for (size_t skip = 0; skip <= t.size(); ++skip) {
      if (ReferenceMatch(p.substr(1), t.substr(skip))) return true;
    }
    return false;
  }
  if (t.empty()) return false;
  bool one = p[0] == U'?' || (p[0] == U'#' ? t[0] >= U'0' && t[0] <= U'9' : p[0] == t[0]);
  if (!one) return false;
  return ReferenceMatch(p.substr(1), t.substr(1));
}

TEST(WildcardSearch, AgreesWithBacktrackingOnRandomPatterns) {
  std::mt19937 random(20240601);
  const std::u32string patternChars = U"ab*?#";
  const std::u32string textChars = U"ab1";
  for (int round = 0; round < 20000; ++round) {
    std::u32string pattern;
    std::u32string text;
    for (int n = random() % 7; n > 0; --n) pattern += patternChars[random() % 5];
    for (int n = random() % 9; n > 0; --n) text += textChars[random() % 3];
    auto p = WildcardPattern::compile(pattern);
    ASSERT_TRUE(p.has_value());
    ASSERT_EQ(p->matches(text), ReferenceMatch(pattern, text))
        << ::testing::PrintToString(pattern) << " " << ::testing::PrintToString(text);
    ASSERT_EQ(p->foundIn(text), ReferenceMatch(U"*" + pattern + U"*", text))
        << ::testing::PrintToString(pattern) << " " << ::testing::PrintToString(text);
  }
}

}  // namespace
}  // namespace kadrel
