#include <gtest/gtest.h>

#include "settings/input_history.h"
#include "settings/pattern_messages.h"

namespace kadrel {
namespace {

TEST(AddHistoryItem, SkipsBlanksAndCaseDuplicates) {
  std::vector<std::string> list = {"abc"};
  for (const char* s : {"", "   ", "ABC", "abc", " abc", "x "}) AddHistoryItem(s, list);
  EXPECT_EQ(list, (std::vector<std::string>{"abc", " abc", "x "}));  // appended as given
}

TEST(MergeInputHistory, CurrentTextsFirstThenOlderEntriesCappedAtTwenty) {
  std::vector<std::string> old;
  for (int i = 0; i < 20; ++i) old.push_back("old" + std::to_string(i));
  old[3] = "ABC";
  const std::vector<std::string> merged =
      MergeInputHistory({"abc", "ABC", "", "end", " ", "", "old0"}, old);
  ASSERT_EQ(merged.size(), 20u);
  EXPECT_EQ(merged[0], "abc");
  EXPECT_EQ(merged[1], "end");
  EXPECT_EQ(merged[2], "old0");
  EXPECT_EQ(merged[3], "old1");
  EXPECT_EQ(merged[5], "old4");  // "ABC" of the old list merged into "abc"
  EXPECT_EQ(merged[19], "old18");
}

TEST(PatternMessages, TextsButtonsAndDefaults) {
  RunOptions o;
  o.PtnName2 = "日次";
  MessageBoxRequest read = PatternReadConfirmation(PatternName(o, 2));
  EXPECT_EQ(read.text, "日次 パターン設定を読込みます　よろしいですか？");
  EXPECT_EQ(read.buttons, BoxButtons::YesNo);
  EXPECT_EQ(read.icon, BoxIcon::Information);
  EXPECT_EQ(read.defaultAnswer, BoxAnswer::Yes);
  MessageBoxRequest save = PatternSaveConfirmation(PatternName(o, 1));
  EXPECT_EQ(save.text,
            "現在の設定を (No.1) "
            "パターンとし、記憶します\rパターン設定は上書きされますがよろしいですか？");
  EXPECT_EQ(save.buttons, BoxButtons::YesNo);
  EXPECT_EQ(save.icon, BoxIcon::Exclamation);
  EXPECT_EQ(save.defaultAnswer, BoxAnswer::No);
  EXPECT_THROW(PatternName(o, 0), std::invalid_argument);
}

}  // namespace
}  // namespace kadrel
