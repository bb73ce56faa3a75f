#include "extract/search_expression.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace kadrel {
namespace {

struct TextCase {
  std::u32string first, second, third;
  bool and0, and1;
  std::u32string text;
};

TEST(SearchExpression, HeaderTexts) {
  const TextCase cases[] = {
      {U"A", U"B", U"", true, false, U" [A] AND [B] "},
      {U"A", U"B", U"C", true, false, U"（  [A] AND [B]  ）OR [C]"},
      {U"A", U"", U"C", true, false, U" [A] OR [C]"},
      {U"ERROR", U"WARN", U"", false, true, U" [ERROR] OR [WARN] "},
      {U"", U"", U"C", true, true, U" [C] "},
      {U"", U"A", U"B", false, true, U" [A] AND [B]"},
      {U"A", U"", U"", true, true, U" [A] "},
      {U"", U"B", U"", true, true, U" [B] "},
      {U"", U"", U"", true, true, U""},
      {U"a*c", U"[*]", U"全角", false, false, U"（  [a*c] OR [[*]]  ）OR [全角]"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BuildSearchExpression(c.first, c.second, c.third, c.and0, c.and1).text, c.text)
        << ::testing::PrintToString(c.text);
  }
}

// The rows of the decision table: operators and the condition they stand for.
struct Row {
  Joiner first, second;
  bool (*matches)(bool h0, bool h1, bool h2);
};
constexpr Joiner N = Joiner::None, A = Joiner::And, O = Joiner::Or;
const Row kRows[] = {
    {N, N, [](bool a, bool b, bool c) { return a || b || c; }},
    {A, N, [](bool a, bool b, bool) { return a && b; }},
    {O, N, [](bool a, bool b, bool) { return a || b; }},
    {A, A, [](bool a, bool b, bool c) { return a && b && c; }},
    {O, O, [](bool a, bool b, bool c) { return a || b || c; }},
    {N, A, [](bool a, bool b, bool c) { return (a || b) && c; }},
    {N, O, [](bool a, bool b, bool c) { return a || b || c; }},
    {O, A, [](bool a, bool b, bool c) { return (a || b) && c; }},
    {A, O, [](bool a, bool b, bool c) { return (a && b) || c; }},
};

// Every combination of empty / non-empty strings and operator flags gives a row of
// the table, and the line decision follows that row for every set of hits.
TEST(SearchExpression, EveryCombinationFollowsItsTableRow) {
  int rowsSeen[9] = {};
  for (int present = 0; present < 8; ++present) {
    std::array<std::u32string, 3> s;
    for (int k = 0; k < 3; ++k) s[k].assign(present >> k & 1, U'x');
    for (int flags = 0; flags < 4; ++flags) {
      SearchExpression e = BuildSearchExpression(s[0], s[1], s[2], flags & 1, flags & 2);
      const Row* row = nullptr;
      for (const Row& r : kRows) {
        if (r.first == e.first && r.second == e.second) row = &r;
      }
      ASSERT_NE(row, nullptr) << present << " " << flags;
      ++rowsSeen[row - kRows];
      for (int hits = 0; hits < 8; ++hits) {
        // An empty string never hits.
        std::array<bool, 3> h;
        for (int k = 0; k < 3; ++k) h[k] = !s[k].empty() && (hits >> k & 1);
        EXPECT_EQ(EvaluateSearch(e, [&](int k) { return h[k]; }), row->matches(h[0], h[1], h[2]))
            << present << " " << flags << " " << hits;
      }
    }
  }
  for (int count : rowsSeen) EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace kadrel
