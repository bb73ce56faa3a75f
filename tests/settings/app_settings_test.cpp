#include "settings/app_settings.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace kadrel {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

bool SameOptions(const RunOptions& a, const RunOptions& b) {
  return a.CompMode == b.CompMode && a.SelSts == b.SelSts && a.FstChrBk == b.FstChrBk &&
         a.LstChrBk == b.LstChrBk && a.FstChr == b.FstChr && a.LstChr == b.LstChr &&
         a.SelFile == b.SelFile && a.SelAddSts == b.SelAddSts && a.AddLineNo == b.AddLineNo &&
         a.BkupEdit == b.BkupEdit && a.UpdateNoFile == b.UpdateNoFile && a.PtnName1 == b.PtnName1 &&
         a.PtnName2 == b.PtnName2 && a.PtnName3 == b.PtnName3 && a.codePage == b.codePage &&
         a.UndoJournal == b.UndoJournal;
}

class AppSettingsTest : public ::testing::Test {
 protected:
  std::string path() const { return IniFilePath(dir.path()); }
  // Loads into settings as a freshly started window holds them.
  AppLoadResult load(AppSettings& s, ModeSettings& m) {
    s.geometry = {100, 200, 9000, 6000};
    return LoadAppSettings(path(), s, m);
  }
  TempDir dir;
};

TEST_F(AppSettingsTest, FirstStartTakesTheDefaults) {
  AppSettings s;
  s.options.BkupEdit = 0;  // whatever memory held before
  s.options.SelSts = "x";
  ModeSettings m;
  EXPECT_TRUE(load(s, m).modes.complete);
  EXPECT_TRUE(SameOptions(s.options, RunOptions{}));
  EXPECT_EQ(s.geometry.width, 9000);
  EXPECT_EQ(s.geometry.left, 100);
  EXPECT_TRUE(s.history.empty());
  EXPECT_EQ(s.recent, (std::array<std::string, 5>{}));
  EXPECT_FALSE(FileExists(path()));
}

TEST_F(AppSettingsTest, SaveThenLoadRestoresEverything) {
  AppSettings saved;
  saved.geometry = {-150, 300, 12000, 8000};
  RunOptions& o = saved.options;
  o.CompMode = 1;
  o.SelSts = "*.txt;*.log";
  o.FstChrBk = "bk_";
  o.LstChrBk = "";
  o.FstChr = "sel_";
  o.LstChr = "_抽出";
  o.SelFile = o.SelAddSts = o.AddLineNo = 1;
  o.BkupEdit = o.UpdateNoFile = o.UndoJournal = 0;
  o.PtnName1 = "置換用";
  o.PtnName2 = " two ";
  o.PtnName3 = "3";
  o.codePage = CodePage::EUCJP;
  saved.recent = {"/a/1.cmb", "", "/b/2.cmb", "", ""};
  for (int i = 0; i < 20; ++i) saved.history.push_back("h" + std::to_string(i));
  ModeSettings modes;
  modes.ModeIdx = 6;
  modes.ComboLineSt = "000001";
  SaveAppSettings(path(), saved, modes);

  AppSettings s;
  ModeSettings m;
  EXPECT_TRUE(load(s, m).modes.complete);
  RunOptions expected = o;
  expected.LstChrBk = "_BK";  // an empty value reads as its default
  EXPECT_TRUE(SameOptions(s.options, expected));
  EXPECT_EQ(s.geometry.left, -150);
  EXPECT_EQ(s.geometry.top, 300);
  EXPECT_EQ(s.geometry.width, 12000);
  EXPECT_EQ(s.geometry.height, 8000);
  EXPECT_EQ(s.recent, saved.recent);
  EXPECT_EQ(s.history, saved.history);
  EXPECT_EQ(m, modes);
}

TEST_F(AppSettingsTest, FileLayoutFollowsTheOrderOfWriting) {
  SaveAppSettings(path(), AppSettings{}, ModeSettings{});
  const std::string file = ReadFile(path());
  const char* order[] = {
      "[Settings]",      "MainLeft=",   "MainTop=",       "MainWidth=",      "MainHeight=",
      "ModeIdx=",        "[Option]",    "CompMode=0",     "SelSts=*.*",      "FstChrBk=",
      "LstChrBk=_BK",    "FstChr=",     "LstChr=_SEL",    "SelFile=0",       "SelAddSts=0",
      "AddLineNo=0",     "BKUPEdit=1",  "UpdateNoFile=1", "PtnName1=(No.1)", "PtnName2=(No.2)",
      "PtnName3=(No.3)", "CmbRecent0=", "CmbRecent4=",    "CodePage=auto",   "UndoJournal=1",
      "[OptionM0]",      "[OptionM2]",  "[OptionM3]",     "[OptionM4]",      "[OptionM5]"};
  size_t at = 0;
  for (const char* item : order) {
    size_t next = file.find(item, at);
    ASSERT_NE(next, std::string::npos) << item << "\n" << file;
    at = next;
  }
  EXPECT_EQ(file.find("[recent]"), std::string::npos);  // no history, no section
}

TEST_F(AppSettingsTest, ValuesThatAreNotNumbers) {
  WriteFile(path(),
            "[Settings]\nMainLeft=abc\nMainTop=-100\nMainWidth=40000\nMainHeight=\n"
            "[Option]\nCompMode=yes\nBkupEdit=abc\nUpdateNoFile=70000\nSelFile=1\n");
  AppSettings s;
  ModeSettings m;
  load(s, m);
  EXPECT_EQ(s.geometry.left, 100);  // kept
  EXPECT_EQ(s.geometry.top, -100);
  EXPECT_EQ(s.geometry.width, 9000);  // out of the 16-bit range: kept
  EXPECT_EQ(s.geometry.height, 6000);
  EXPECT_EQ(s.options.CompMode, 0);
  EXPECT_EQ(s.options.BkupEdit, 0);  // not the default 1
  EXPECT_EQ(s.options.UpdateNoFile, 0);
  EXPECT_EQ(s.options.SelFile, 1);
}

TEST_F(AppSettingsTest, AffixesLeadingOutOfTheFolderTakeTheirDefaults) {
  WriteFile(path(), "[Option]\nFstChrBk=../\nLstChrBk=.old\nFstChr=a\\b\nLstChr=x/y\n");
  AppSettings s;
  ModeSettings m;
  const AppLoadResult r = load(s, m);
  EXPECT_EQ(r.unusableAffixes, (std::vector<std::string>{"FstChrBk", "FstChr", "LstChr"}));
  EXPECT_EQ(s.options.FstChrBk, "");
  EXPECT_EQ(s.options.LstChrBk, ".old");
  EXPECT_EQ(s.options.FstChr, "");
  EXPECT_EQ(s.options.LstChr, "_SEL");
}

TEST_F(AppSettingsTest, MinimizedOrMaximizedKeepsTheEarlierGeometry) {
  AppSettings first;
  first.geometry = {1, 2, 3, 4};
  SaveAppSettings(path(), first, ModeSettings{});
  AppSettings later;
  later.geometry = {9, 9, 9, 9};
  later.windowIsNormal = false;
  SaveAppSettings(path(), later, ModeSettings{});
  AppSettings s;
  ModeSettings m;
  load(s, m);
  EXPECT_EQ(s.geometry.left, 1);
  EXPECT_EQ(s.geometry.height, 4);
}

TEST_F(AppSettingsTest, HistoryStopsAtTheFirstGapAndIsMerged) {
  WriteFile(path(), "[recent]\n00=abc\n01=ABC\n02=\"  \"\n03=later\n");
  AppSettings s;
  ModeSettings m;
  load(s, m);
  // "  " is not empty, so reading goes on to 03, but blanks and case duplicates merge away.
  EXPECT_EQ(s.history, (std::vector<std::string>{"abc", "later"}));

  WriteFile(path(), "[recent]\n00=one\n01=two\n03=four\n");
  load(s, m);
  EXPECT_EQ(s.history, (std::vector<std::string>{"one", "two"}));
}

TEST_F(AppSettingsTest, HistorySavedUpToTheFirstEmptyEntry) {
  AppSettings s;
  s.history = {"a", "b", "", "d"};
  SaveAppSettings(path(), s, ModeSettings{});
  const std::string file = ReadFile(path());
  EXPECT_NE(file.find("01=b"), std::string::npos);
  EXPECT_EQ(file.find("02="), std::string::npos);
  EXPECT_EQ(file.find("03="), std::string::npos);
}

// A value the code page cannot hold is kept whole through every change.
TEST_F(AppSettingsTest, ChangingTheCodePageConvertsTheStoredPatterns) {
  AppSettings s;
  s.options.codePage = CodePage::CP932;
  s.options.PtnName1 = "置換";
  s.history = {"😀 smile", "日本"};
  clsIniFile cp932;
  cp932.pFileName(path());
  ModeSettings pattern;
  pattern.TrimChr = "全角😀";
  SaveModeSettings(cp932, 1, pattern);
  SaveAppSettings(path(), s, ModeSettings{});

  s.options.codePage = CodePage::UTF8;
  SaveAppSettings(path(), s, ModeSettings{});
  EXPECT_NE(ReadFile(path()).find("TrimChr=全角😀"), std::string::npos);

  AppSettings back;
  ModeSettings m;
  load(back, m);
  EXPECT_EQ(back.options.codePage, CodePage::UTF8);
  EXPECT_EQ(back.options.PtnName1, "置換");
  clsIniFile utf8(CodePage::UTF8);
  utf8.pFileName(path());
  ModeSettings recalled;
  LoadModeSettings(utf8, 1, recalled);
  EXPECT_EQ(recalled.TrimChr, "全角😀");

  s.options.codePage = CodePage::CP932;
  SaveAppSettings(path(), s, ModeSettings{});
  load(back, m);
  EXPECT_EQ(back.history, s.history);
  LoadModeSettings(cp932, 1, recalled);
  EXPECT_EQ(recalled.TrimChr, "全角😀");
}

}  // namespace
}  // namespace kadrel
