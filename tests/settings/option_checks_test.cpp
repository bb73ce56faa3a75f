#include "settings/option_checks.h"

#include <gtest/gtest.h>

namespace kadrel {
namespace {

constexpr const char* kAssumeAll = "「全てのファイル」を仮定します";
constexpr const char* kAllAlone = "「全てのファイル(*.*)」の場合、他の指定はできません";
constexpr const char* kBackupAffix = "ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ名付加文字を指定してください";
constexpr const char* kResultAffix = "抽出結果ﾌｧｲﾙ名付加文字を指定してください";

struct Case {
  const char* name;
  void (*edit)(OptionDialogValues&);
  std::vector<std::string> messages;
  bool accepted;
  bool reset;
};

TEST(CheckOptionDialog, ChecksInOrder) {
  const Case cases[] = {
      {"unchanged", [](OptionDialogValues&) {}, {}, true, false},
      {"empty pattern", [](OptionDialogValues& v) { v.TextOptSts = ""; }, {kAssumeAll}, true, true},
      {"spaces only",
       [](OptionDialogValues& v) { v.TextOptSts = "   "; },
       {kAssumeAll},
       true,
       true},
      {"all with more",
       [](OptionDialogValues& v) { v.TextOptSts = "*.*;*.txt"; },
       {kAllAlone},
       false,
       false},
      {"all and a space",
       [](OptionDialogValues& v) { v.TextOptSts = "*.* "; },
       {kAllAlone},
       false,
       false},
      {"two patterns", [](OptionDialogValues& v) { v.TextOptSts = "*.txt;*.log"; }, {}, true, true},
      {"letter case counts", [](OptionDialogValues& v) { v.TextOptSts = "*.txt"; }, {}, true, true},
      {"prefix alone",
       [](OptionDialogValues& v) {
         v.inToChrBK = "";
         v.inFrChrBK = "bk";
       },
       {},
       true,
       false},
      {"affix of spaces",
       [](OptionDialogValues& v) {
         v.inToChrBK = "";
         v.inFrChrBK = " ";
       },
       {},
       true,
       false},
      {"both affixes empty",
       [](OptionDialogValues& v) {
         v.inToChrBK = v.inFrChrBK = "";
         v.inToChr = v.inFrChr = "";
       },
       {kBackupAffix},
       false,
       false},
      {"result affixes empty",
       [](OptionDialogValues& v) { v.inToChr = v.inFrChr = ""; },
       {kResultAffix},
       false,
       false},
      {"empty pattern then refused",
       [](OptionDialogValues& v) {
         v.TextOptSts = "";
         v.inToChrBK = "";
       },
       {kAssumeAll, kBackupAffix},
       false,
       false},
      {"pattern names 1 and 3",
       [](OptionDialogValues& v) {
         v.TxtPtnName = {"", "two", ""};
       },
       {"ﾊﾟﾀｰﾝ名称 1 番目に初期値を仮定します", "ﾊﾟﾀｰﾝ名称 3 番目に初期値を仮定します"},
       true,
       false},
  };
  RunOptions current;
  current.SelSts = "*.TXT";
  for (const Case& c : cases) {
    OptionDialogValues v = OptionDialogFromOptions(current);
    c.edit(v);
    OptionCheckResult r = CheckOptionDialog(v, current);
    std::vector<std::string> texts;
    for (const auto& m : r.messages) texts.push_back(m.text);
    EXPECT_EQ(texts, c.messages) << c.name;
    EXPECT_EQ(r.accepted, c.accepted) << c.name;
    EXPECT_EQ(r.resetTargetList, c.reset && c.accepted) << c.name;
  }
}

TEST(CheckOptionDialog, AdjustsTheControlsAndStores) {
  RunOptions current;
  OptionDialogValues v = OptionDialogFromOptions(current);
  v.TextOptSts = " ";
  v.TxtPtnName = {"", "B", ""};
  v.CompMode = 1;
  v.codePage = CodePage::UTF8;
  OptionCheckResult r = CheckOptionDialog(v, current);
  ASSERT_TRUE(r.accepted);
  EXPECT_FALSE(r.resetTargetList);  // "*.*" again
  EXPECT_EQ(r.messages[0].icon, BoxIcon::Exclamation);
  EXPECT_EQ(r.messages[1].icon, BoxIcon::Information);
  EXPECT_EQ(v.TextOptSts, "*.*");
  StoreOptionDialog(v, current);
  EXPECT_EQ(current.PtnName1, "(No.1)");
  EXPECT_EQ(current.PtnName2, "B");
  EXPECT_EQ(current.PtnName3, "(No.3)");
  EXPECT_EQ(current.CompMode, 1);
  EXPECT_EQ(current.codePage, CodePage::UTF8);
}

TEST(OptionDialog, ClearAndSamples) {
  RunOptions o;
  o.SelSts = "*.txt";
  o.FstChrBk = "a";
  o.LstChrBk = "";
  o.FstChr = "b";
  o.PtnName2 = "x";
  o.AddLineNo = 1;
  OptionDialogValues v = OptionDialogFromOptions(o);
  ClearOptionDialog(v);
  EXPECT_EQ(v.TextOptSts, "*.*");
  EXPECT_EQ(v.inFrChrBK, "");
  EXPECT_EQ(v.inToChrBK, "_BK");
  EXPECT_EQ(v.inFrChr, "");
  EXPECT_EQ(v.inToChr, "_SEL");
  EXPECT_EQ(v.TxtPtnName[1], "(No.2)");
  EXPECT_EQ(v.AddLineNo, 1);  // check boxes keep their state
  EXPECT_EQ(SampleFileName("bk", ""), "bkABC.txt");
  EXPECT_EQ(SampleFileName("", "_BK"), "ABC.txt_BK");
}

}  // namespace
}  // namespace kadrel
