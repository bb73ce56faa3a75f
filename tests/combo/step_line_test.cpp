#include "combo/step_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kadrel {
namespace {

TEST(SplitStepLine, FieldsAreTheItemsBeforeTheLastComma) {
  const struct {
    const char* line;
    std::vector<std::string> fields;
  } cases[] = {
      {"3,BEGIN,END,#", {"3", "BEGIN", "END"}},
      {"3,BEGIN,END", {"3", "BEGIN"}},  // END is taken as the terminator
      {"1,#", {"1"}},
      {"1", {}},
      {"", {}},
      {",", {""}},
      {"3, BEGIN,END ,#", {"3", " BEGIN", "END "}},  // no trimming
      {"0,0,a\tb,0,,#", {"0", "0", "a\tb", "0", ""}},
      {"3,A,B,", {"3", "A", "B"}},  // an empty terminator
      {"0,0,,,,#", {"0", "0", "", "", ""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitStepLine(c.line).fields(), c.fields) << c.line;
  }
}

}  // namespace
}  // namespace kadrel
