#include "settings/option_checks.h"

#include <gtest/gtest.h>

namespace kadrel {
namespace {

constexpr const char* kAssumeAll = "「全てのファイル」を仮定します";
constexpr const char* kAllAlone = "「全てのファイル(*.*)」の場合、他の指定はできません";
constexpr const char* kBackupAffix = "ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ名付加文字を指定してください";
constexpr const char* kResultAffix = "抽出結果ﾌｧｲﾙ名付加文字を指定してください";
constexpr const char* kBackupAffixChars =
    "ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ名付加文字に「/」「\\」「..」や制御文字は指定できません";
constexpr const char* kResultAffixChars =
    "抽出結果ﾌｧｲﾙ名付加文字に「/」「\\」「..」や制御文字は指定できません";

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
      {"backup prefix into a folder",
       [](OptionDialogValues& v) { v.inFrChrBK = "../"; },
       {kBackupAffixChars},
       false,
       false},
      {"backup affix refused before the result affixes",
       [](OptionDialogValues& v) {
         v.inToChrBK = "_BK\n";
         v.inToChr = v.inFrChr = "";
       },
       {kBackupAffixChars},
       false,
       false},
      {"result suffix with a separator",
       [](OptionDialogValues& v) { v.inToChr = "\\sel"; },
       {kResultAffixChars},
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

TEST(IsUsableAffix, KeepsTheNameInItsFolderAndOnOneLine) {
  const std::pair<const char*, bool> cases[] = {
      {"", true},      {"_BK", true},   {"bk_", true},       {".", true},     {".old", true},
      {"~", true},     {" ", true},     {"退避", true},      {"/", false},    {"../", false},
      {"..", false},   {"a..b", false}, {"\\", false},       {"bk\\", false}, {"\t", false},
      {"x\ny", false}, {"\x7f", false}, {"\xc2\x85", false},  // DEL, NEL (a C1 control)
  };
  for (const auto& [affix, usable] : cases) {
    EXPECT_EQ(IsUsableAffix(affix), usable) << "'" << affix << "'";
  }
}

// A run option set from its text refuses what the dialog refuses; a refused text
// leaves the options as they were.
TEST(SetRunOptionText, ChecksAsTheDialogDoes) {
  using P = OptionTextProblem;
  struct Case {
    const char* key;
    const char* value;
    P problem;
  } cases[] = {
      {"CompMode", "1", P::None},
      {"compmode", " 0 ", P::None},
      {"BkupEdit", "yes", P::NotAFlag},
      {"CompMode", "on", P::NotAFlag},
      {"UpdateNoFile", "99999", P::NotAFlag},
      {"SelFile", "2", P::NotAFlag},
      {"AddLineNo", "-1", P::NotAFlag},
      {"SelAddSts", "1.0", P::NotAFlag},
      {"undojournal", "0", P::None},
      {"UndoJournal", "no", P::NotAFlag},
      {"SelSts", "*.txt;*.csv", P::None},
      {"SelSts", "*.*", P::None},
      {"SelSts", "   ", P::BlankPattern},
      {"SelSts", "*.*;*.txt", P::AllFilesWithOthers},
      {"SelSts", "*.* ", P::AllFilesWithOthers},
      {"FstChrBk", "old_", P::None},
      {"FstChrBk", "../", P::UnusableAffix},
      {"LstChr", "_SEL\r", P::UnusableAffix},
      {"CodePage", "euc-jp", P::None},
      {"CodePage", "latin1", P::UnknownCodePage},
      {"PtnName1", "x", P::UnknownKey},
      {"Nonsense", "1", P::UnknownKey},
  };
  for (const Case& c : cases) {
    RunOptions o;
    o.CompMode = 1;
    const RunOptions before = o;
    EXPECT_EQ(SetRunOptionText(o, c.key, c.value), c.problem) << c.key << "=" << c.value;
    if (c.problem != P::None) {
      EXPECT_EQ(o.CompMode, before.CompMode);
      EXPECT_EQ(o.SelSts, before.SelSts);
      EXPECT_EQ(o.FstChrBk, before.FstChrBk);
    }
  }
}

TEST(SetRunOptionText, SetsTheValueAndAnEmptyTextTheDefault) {
  RunOptions o;
  o.LstChrBk = "x";
  for (const auto& [key, value] :
       {std::pair{"bkupedit", "0"}, {"SelSts", "*.csv"}, {"LstChrBk", ""}, {"codepage", "utf-8"}}) {
    ASSERT_EQ(SetRunOptionText(o, key, value), OptionTextProblem::None) << key;
  }
  EXPECT_EQ(o.BkupEdit, 0);
  EXPECT_EQ(o.SelSts, "*.csv");
  EXPECT_EQ(o.LstChrBk, "_BK");
  EXPECT_EQ(o.codePage, CodePage::UTF8);
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
