// Inputs the fuzz targets (fuzz/) found faulty, kept as plain tests once fixed.
#include <gtest/gtest.h>

#include "combo/combo_loader.h"
#include "extract/wildcard.h"
#include "proof/run_world.h"
#include "text/code_page.h"
#include "text/utf.h"

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

// Bytes that a code page does not decode become escapes; in the program's UTF-8
// strings (step lines, settings) such escapes must not turn into a character.
TEST(FuzzFindings, EscapesThatLookLikeUtf8StayEscapes) {
  const struct {
    CodePage cp;
    std::string bytes;
  } cases[] = {
      {CodePage::UTF8, "\xed\xb2\x80"},        // an encoded surrogate: three escapes
      {CodePage::CP932, "\xeb\x80\x80"},       // reads as U+B000 in UTF-8
      {CodePage::EUCJP, "\xc2\x8e"},           // reads as U+008E in UTF-8
      {CodePage::CP932, "a\xeb\x80\x80\xeb"},  // and between other characters
  };
  for (const auto& c : cases) {
    const std::u32string text = CodecFor(c.cp).decode(c.bytes);
    ASSERT_TRUE(IsByteEscape(text[c.bytes[0] == 'a' ? 1 : 0]));
    EXPECT_EQ(Utf8ToU32(U32ToUtf8(text)), text) << c.bytes;
    EXPECT_EQ(CodecFor(c.cp).encode(Utf8ToU32(U32ToUtf8(text))), c.bytes);
  }
  EXPECT_EQ(U32ToUtf8(U"\xdc80x"), "\x80x");  // a lone escape is still its byte
}

TEST(FuzzFindings, AComboStepFindsTheVeryBytesItWasWrittenWith) {
  for (CodePage cp : {CodePage::UTF8, CodePage::CP932}) {
    const std::string odd = cp == CodePage::UTF8 ? "\xed\xb2\x80" : "\xeb\x80\x80";
    proof::Scenario s;
    s.combo = true;
    s.options.codePage = cp;
    s.files = {{"t.txt", "x" + odd + "y\r\n"}, {"combo.txt", "0,0," + odd + ",0,Q,#\r\n"}};
    proof::World w(s);
    w.targets.pop_back();  // the COMBO!! file only holds the step
    ComboModel model;
    ASSERT_EQ(LoadComboFile(w.host, w.files, cp, w.path("combo.txt"), model),
              ComboLoadResult::Loaded);
    s.steps = model.steps;
    w.run();
    EXPECT_EQ(test::ReadFile(w.path("t.txt")), "xQy\r\n");
  }
}

}  // namespace
}  // namespace kadrel
