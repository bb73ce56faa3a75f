// Inputs the fuzz targets (fuzz/) found faulty, kept as plain tests once fixed.
#include <gtest/gtest.h>

#include "extract/wildcard.h"

namespace kadrel {
namespace {

TEST(FuzzFindings, AnEmptyListAfterATrailingStarMatchesNothingMore) {
  // "*a*[]" is "*a*": the empty list stands for no character, the star still ends it.
  const auto p = WildcardPattern::compile(U"*a*[]");
  ASSERT_TRUE(p);
  EXPECT_TRUE(p->matches(U"ab"));
  EXPECT_TRUE(p->matches(U"xa"));
  EXPECT_FALSE(p->matches(U"b"));
  const auto q = WildcardPattern::compile(U"a*[][]");
  ASSERT_TRUE(q);
  EXPECT_TRUE(q->matches(U"abc"));
}

}  // namespace
}  // namespace kadrel
