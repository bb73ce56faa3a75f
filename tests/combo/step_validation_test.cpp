#include "combo/step_validation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "combo/step_line.h"
#include "support/fake_host.h"

namespace kadrel {
namespace {

using test::FakeHost;
constexpr BoxAnswer OK = BoxAnswer::Ok;
constexpr BoxAnswer CANCEL = BoxAnswer::Cancel;

struct Case {
  const char* line;
  std::vector<BoxAnswer> answers;  // for the problem boxes, in order
  int result;                      // the answer codes: 1 valid, 2 cancelled, 7 invalid
  std::vector<std::string> boxes;  // texts shown
  int fieldsAfter;
  CodePage cp = CodePage::CP932;  // the code page the run writes
};

TEST(ValidateStep, ChecksInOrderWithTheirMessagesAndAnswers) {
  const Case cases[] = {
      {"3,BEGIN,END,#", {}, 1, {}, 3},
      {"3, BEGIN,END,#", {}, 1, {}, 3},
      {"1,#", {}, 1, {}, 1},
      {"0,1,,3,,#", {}, 1, {}, 6},
      {"0,0,abc,4,,#", {}, 1, {}, 6},
      {"2,0,3,2,0,0,,1,1,#", {}, 1, {}, 9},
      {"2,1,0,1,0,x,y,z,w,#", {}, 1, {}, 9},    // fields 6 to 9 unread for action 1
      {"2,0,0,0,9,x,y,-1,-1,#", {}, 1, {}, 9},  // action 0 reads nothing more
      {"4,,True,,False,C,#", {}, 1, {}, 6},
      {"4,A,-1,B,0,C,#", {}, 1, {}, 6},  // operators read as numbers
      {"5,1,1,0,0,0,#", {}, 1, {}, 6},
      // Mode 0: the sixth field comes once the last check passed or was answered OK.
      {"0,0,,0,x,#", {OK}, 7, {"置換前文字列が指定されていません"}, 6},
      {"0,0,,0,x,#", {CANCEL}, 2, {"置換前文字列が指定されていません"}, 5},
      {"0,2,a,5,b,#",
       {OK, OK},
       7,
       {"置換前TABｺｰﾄﾞ指定に誤まりがあります [ 2 ]", "置換後TABｺｰﾄﾞ指定に誤まりがあります [ 5 ]"},
       6},
      {"0,2,a,5,b,#",
       {OK, CANCEL},
       2,
       {"置換前TABｺｰﾄﾞ指定に誤まりがあります [ 2 ]", "置換後TABｺｰﾄﾞ指定に誤まりがあります [ 5 ]"},
       5},
      {"0,1,,-1,,#", {OK}, 7, {"置換後TABｺｰﾄﾞ指定に誤まりがあります [ -1 ]"}, 6},
      {"0,0,a,x,b,#", {OK}, 7, {"設定内容に誤まりがあります [ 0,0,a,x,b,# ]"}, 5},
      // A number is shown as read: "07" becomes 7.
      {"2,0,3,07,0,0,,0,0,#", {OK}, 7, {"処理内容に誤まりがあります [ 7 ]"}, 9},
      {"2,2,-1,1,5,0,,0,0,#",
       {OK, OK, OK},
       7,
       {"行頭・行末区分に誤まりがあります [ 2 ]", "桁数に誤まりがあります [ -1 ]",
        "文字列設定に誤まりがあります [ 5 ]"},
       9},
      {"2,0,0,2,0,0,,-1,-2,#",
       {OK, OK},
       7,
       {"付番（開始）に誤まりがあります [ -1 ]", "付番（刻み）に誤まりがあります [ -2 ]"},
       9},
      {"2,0,0,2,0,0,,-1,-2,#", {CANCEL}, 2, {"付番（開始）に誤まりがあります [ -1 ]"}, 9},
      {"2,0,0,2,0,0,,1,x,#", {OK}, 7, {"設定内容に誤まりがあります [ 2,0,0,2,0,0,,1,x,# ]"}, 9},
      {"3,,,#",
       {OK, OK},
       7,
       {"開始ｷｰﾜｰﾄﾞ文字列を指定してください", "終了ｷｰﾜｰﾄﾞ文字列を指定してください"},
       3},
      {"3,,,#", {CANCEL}, 2, {"開始ｷｰﾜｰﾄﾞ文字列を指定してください"}, 3},
      {"3,A,,#", {CANCEL}, 2, {"終了ｷｰﾜｰﾄﾞ文字列を指定してください"}, 3},
      {"4,,True,,False,,#", {OK}, 7, {"検索文字列を指定してください"}, 6},
      {"5,0,1,0,0,0,#", {OK}, 7, {"処理が指定されていません"}, 6},
      {"5,2,3,0,0,1,#",
       {OK, OK},
       7,
       {"空白行削除指定に誤まりがあります [ 2 ]", "SPACE行対象指定に誤まりがあります [ 3 ]"},
       6},
      {"5,0,0,4,5,6,#",
       {OK, OK, OK},
       7,
       {"空白文字削除（左）指定に誤まりがあります [ 4 ]",
        "空白文字削除（全）指定に誤まりがあります [ 5 ]",
        "空白文字削除（右）指定に誤まりがあります [ 6 ]"},
       6},
      {"X,1,#", {OK}, 7, {"設定内容に誤まりがあります [ X,1,# ]"}, 2},
      {"X,1,#", {CANCEL}, 2, {"設定内容に誤まりがあります [ X,1,# ]"}, 2},
      {"70000,#", {OK}, 7, {"設定内容に誤まりがあります [ 70000,# ]"}, 1},
      {"9,#", {OK}, 7, {"処理区分に誤まりがあります [ 9 ]"}, 1},
      {"6,#", {CANCEL}, 2, {"処理区分に誤まりがあります [ 6 ]"}, 1},
      {"-1,#", {OK}, 7, {"処理区分に誤まりがあります [ -1 ]"}, 1},
      // The run reads both operators, whatever strings are set.
      {"4,A,maybe,B,perhaps,C,#",
       {OK, OK},
       7,
       {"AND/OR指定に誤まりがあります [ maybe ]", "AND/OR指定に誤まりがあります [ perhaps ]"},
       6},
      {"4,A,,,True,,#", {CANCEL}, 2, {"AND/OR指定に誤まりがあります"}, 6},
      // Keywords are patterns, well-formed as written and upper-cased.
      {"3,[abc,[z-a],#",
       {OK, OK},
       7,
       {"「開始ｷｰﾜｰﾄﾞ文字列」の指定に誤まりがあります（「[」に対応する「]」がありません） [ [abc ]",
        "「終了ｷｰﾜｰﾄﾞ文字列」の指定に誤まりがあります（文字範囲「z-a」の指定が逆順です） [ [z-a] "
        "]"},
       3},
      {"3,[Z-a],E,#",
       {OK},
       7,
       {"「開始ｷｰﾜｰﾄﾞ文字列」の指定に誤まりがあります（文字範囲「Z-A」の指定が逆順です） [ [Z-a] "
        "]"},
       3},
      {"4,A,True,,True,x[,#",
       {OK},
       7,
       {"「検索文字列3」の指定に誤まりがあります（「[」に対応する「]」がありません） [ x[ ]"},
       6},
      // Texts the code page cannot hold, once typed text met the code page.
      {"0,0,〜−,0,😀,#",
       {OK},
       7,
       {"「置換後文字列」に CP932 で書き込めない文字があります [ 😀 (U+1F600) ]"},
       6},
      {"0,0,€,0,x,#", {}, 1, {}, 6, CodePage::UTF8},
      {"0,0,€,1,😀,#",
       {CANCEL},
       2,
       {"「置換前文字列」に EUC-JP で書き込めない文字があります [ € (U+20AC) ]"},
       5,
       CodePage::EUCJP},
      {"0,1,😀,0,x,#", {}, 1, {}, 6},  // a TAB is searched for
      {"2,0,0,1,1,0,a€,0,0,#",
       {OK},
       7,
       {"「挿入文字列」に CP932 で書き込めない文字があります [ € (U+20AC) ]"},
       9},
      {"4,,True,€,True,,#",
       {OK},
       7,
       {"「検索文字列2」に CP932 で書き込めない文字があります [ € (U+20AC) ]"},
       6},
      // No field holds a line break: a search for "a\nb" would match across a bare LF.
      {"0,0,a\nb,0,x,#", {OK}, 7, {"「置換前文字列」に改行コード（CR・LF）は指定できません"}, 5},
      {"0,0,a,0,x\r,#", {CANCEL}, 2, {"「置換後文字列」に改行コード（CR・LF）は指定できません"}, 5},
      {"3,BEGIN\n,END\r\n,#",
       {OK, OK},
       7,
       {"「開始ｷｰﾜｰﾄﾞ文字列」に改行コード（CR・LF）は指定できません",
        "「終了ｷｰﾜｰﾄﾞ文字列」に改行コード（CR・LF）は指定できません"},
       3},
      {"3,BEGIN\n,END\r\n,#",
       {CANCEL},
       2,
       {"「開始ｷｰﾜｰﾄﾞ文字列」に改行コード（CR・LF）は指定できません"},
       3},
      {"4,,True,\nx,False,,#",
       {OK},
       7,
       {"「検索文字列2」に改行コード（CR・LF）は指定できません"},
       6},
      // Fields no check of the mode reads are refused too.
      {"2,0,3,0,0,0,\n,0,0,#",
       {OK},
       7,
       {"「挿入文字列」に改行コード（CR・LF）は指定できません"},
       9},
      {"0,1,\r,0,x,#", {OK}, 7, {"「置換前文字列」に改行コード（CR・LF）は指定できません"}, 5},
      {"5,1,1,0,0,0\n,#", {OK}, 7, {"「項目6」に改行コード（CR・LF）は指定できません"}, 6},
      // Field count: OK only, whatever the answer script says.
      {"3,BEGIN,END", {}, 7, {"引数の数に誤まりが有ります  正 [ 2 ] 誤 [ 1 ]\r[ 3,BEGIN,END ]"}, 2},
      {"1,x,#", {}, 7, {"引数の数に誤まりが有ります  正 [ 0 ] 誤 [ 1 ]\r[ 1,x,# ]"}, 2},
      {"0,0,a,0,b,0,#",
       {},
       7,
       {"引数の数に誤まりが有ります  正 [ 4 ] 誤 [ 5 ]\r[ 0,0,a,0,b,0,# ]"},
       6},
  };
  for (const Case& c : cases) {
    FakeHost host;
    host.answers.assign(c.answers.begin(), c.answers.end());
    StepRecord step = SplitStepLine(c.line);
    EXPECT_EQ(static_cast<int>(ValidateStep(host, step, c.line, c.cp)), c.result) << c.line;
    EXPECT_EQ(host.texts(), c.boxes) << c.line;
    EXPECT_EQ(step.size(), c.fieldsAfter) << c.line;
    if (c.fieldsAfter == 6 && step.field(1) == "0") {
      EXPECT_EQ(step.field(6), "0") << c.line;
    }
  }
}

TEST(ValidateStep, BoxesCarryTheirIconAndButtons) {
  FakeHost host;
  StepRecord problem = SplitStepLine("3,,END,#");
  ValidateStep(host, problem, "", CodePage::CP932);
  StepRecord count = SplitStepLine("3,A,#");
  ValidateStep(host, count, "3,A,#", CodePage::CP932);
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[0].icon, BoxIcon::Exclamation);
  EXPECT_EQ(host.boxes[0].buttons, BoxButtons::OkCancel);
  EXPECT_EQ(host.boxes[0].title, "");
  EXPECT_EQ(host.boxes[1].icon, BoxIcon::Exclamation);
  EXPECT_EQ(host.boxes[1].buttons, BoxButtons::Ok);
}

TEST(ValidateStep, WindowStepWithoutLineShowsTheMessageAlone) {
  FakeHost host;
  StepRecord step({"2", "0", "", "0", "0", "6", "", "000100", "100"});  // ColCombo not a number
  EXPECT_EQ(ValidateStep(host, step, "", CodePage::CP932), StepCheck::Invalid);
  EXPECT_EQ(host.texts(), std::vector<std::string>{"設定内容に誤まりがあります"});

  FakeHost empty;
  StepRecord none;
  EXPECT_EQ(ValidateStep(empty, none, "", CodePage::CP932), StepCheck::Invalid);
  EXPECT_EQ(empty.texts(), std::vector<std::string>{"設定内容に誤まりがあります"});
}

}  // namespace
}  // namespace kadrel
