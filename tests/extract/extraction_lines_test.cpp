#include "extract/extraction_lines.h"

#include <gtest/gtest.h>

#include "core/text/case_fold.h"

namespace kadrel {
namespace {

// The shortcuts agree with simple upper-casing for every code point.
TEST(ExtractionLines, UpperCaseAgreesWithToUpperEverywhere) {
  std::u32string all;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) all.push_back(c);
  std::u32string shortcut = all;
  UpperCaseForComparison(shortcut);
  std::u32string reference = all;
  ToUpperInPlace(reference);
  for (size_t i = 0; i < all.size(); ++i) ASSERT_EQ(shortcut[i], reference[i]) << i;
  EXPECT_EQ(shortcut.substr(U'a', 3), U"ABC");
}

}  // namespace
}  // namespace kadrel
