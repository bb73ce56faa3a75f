// Bytes held past the memory bound read back whole, from any offset, and keep
// a truncation.
#include "io/spill_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/streams.h"

namespace kadrel {
namespace {

std::string ReadFrom(SpillText& text, uint64_t offset) {
  std::string bytes;
  EXPECT_TRUE(ReadAll(*text.read(offset), bytes));
  return bytes;
}

TEST(SpillTextTest, ReadsBackWhatWasAppendedInMemoryOrNot) {
  struct Case {
    const char* name;
    size_t memoryLimit;
    size_t pieces, pieceSize;
    uint64_t truncateTo;
  } cases[] = {
      {"in memory", 1 << 20, 10, 100, 250},
      {"past the bound in small pieces", 64, 5000, 3, 7},
      {"past the bound in large pieces", 64, 4, 3 << 20, (3 << 20) + 5},
      {"truncated to nothing, then more", 16, 100, 10, 0},
  };
  for (const Case& c : cases) {
    SpillText text(c.memoryLimit);
    std::string expected;
    for (size_t p = 0; p < c.pieces; ++p) {
      const std::string piece(c.pieceSize, static_cast<char>('a' + p % 26));
      text.append(piece);
      expected += piece;
    }
    EXPECT_EQ(text.size(), expected.size()) << c.name;
    EXPECT_EQ(ReadFrom(text, 0), expected) << c.name;
    EXPECT_EQ(ReadFrom(text, 3), expected.substr(3)) << c.name;
    text.truncate(c.truncateTo);
    text.append("end");
    expected = expected.substr(0, c.truncateTo) + "end";
    EXPECT_EQ(ReadFrom(text, 0), expected) << c.name;
    EXPECT_FALSE(text.spillFailed()) << c.name;
  }
}

}  // namespace
}  // namespace kadrel
