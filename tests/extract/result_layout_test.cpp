#include "extract/result_layout.h"

#include <gtest/gtest.h>

namespace kadrel {
namespace {

TEST(ResultLayout, LineNumberFieldHoldsTheLastFourDigits) {
  const std::pair<int64_t, const char*> cases[] = {
      {1, "   1 "},     {7, "   7 "},     {42, "  42 "},         {999, " 999 "},
      {1000, "1000 "},  {9999, "9999 "},  {10000, "0000 "},      {10001, "0001 "},
      {12345, "2345 "}, {99999, "9999 "}, {2147483647, "3647 "}, {3000000000, "0000 "},
  };
  for (const auto& [n, field] : cases) EXPECT_EQ(LineNumberField(n), field) << n;
}

}  // namespace
}  // namespace kadrel
