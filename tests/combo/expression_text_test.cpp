#include "combo/expression_text.h"

#include <gtest/gtest.h>

namespace kadrel {
namespace {

TEST(BuildMultiStringCondition, TextAndOperators) {
  using enum JoinOperator;
  const struct {
    const char32_t* first;
    const char32_t* second;
    const char32_t* third;
    bool and0, and1;
    const char32_t* text;
    JoinOperator op0, op1;
  } cases[] = {
      {U"A", U"B", U"", true, false, U" [A] AND [B] ", And, None},
      {U"A", U"B", U"C", true, false, U"（  [A] AND [B]  ）OR [C]", And, Or},
      {U"A", U"", U"C", true, false, U" [A] OR [C]", None, Or},
      {U"ERROR", U"WARN", U"", false, true, U" [ERROR] OR [WARN] ", Or, None},
      {U"", U"", U"C", true, true, U" [C] ", None, None},
      {U"", U"A", U"B", false, true, U" [A] AND [B]", None, And},
      {U"A", U"", U"", false, false, U" [A] ", None, None},
      {U"", U"", U"", true, true, U"", None, None},
      {U"全角", U"ｶﾅ", U"x", false, true, U"（  [全角] OR [ｶﾅ]  ）AND [x]", Or, And},
  };
  for (const auto& c : cases) {
    MultiStringCondition m = BuildMultiStringCondition(c.first, c.second, c.third, c.and0, c.and1);
    EXPECT_EQ(m.text, c.text);
    EXPECT_EQ(m.first, c.op0);
    EXPECT_EQ(m.second, c.op1);
  }
  EXPECT_EQ(BuildExpressionText(std::string_view("A"), "B", "C", true, false),
            "（  [A] AND [B]  ）OR [C]");
}

}  // namespace
}  // namespace kadrel
