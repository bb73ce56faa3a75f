#include <gtest/gtest.h>

#include <optional>

#include "core/conversions.h"
#include "core/run_error.h"

namespace kadrel {
namespace {

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
