#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"
#include "text/utf.h"

namespace kadrel {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string Cp932(const std::u32string& text) {
  return CodecFor(CodePage::CP932).encode(text);
}

class IniFileTest : public ::testing::Test {
 protected:
  IniFileTest() { ini.pFileName(dir.file("Kadrel.ini")); }
  TempDir dir;
  clsIniFile ini;
};

TEST_F(IniFileTest, MissingFileReadsDefaultsAndFirstWriteCreatesIt) {
  EXPECT_EQ(ini.mGetString("Option", "SelSts", "*.*"), "*.*");
  EXPECT_EQ(ini.mGetString("Option", "SelSts"), "");
  EXPECT_EQ(ini.mGetInteger("Option", "CompMode", 7), 7);
  EXPECT_FALSE(FileExists(ini.pFileName()));
  EXPECT_TRUE(ini.mSetString("Option", "SelSts", "*.txt"));
  EXPECT_TRUE(FileExists(ini.pFileName()));
  EXPECT_EQ(ini.mGetString("Option", "SelSts", "*.*"), "*.txt");
}

TEST_F(IniFileTest, EmptyValueReadsAsTheDefault) {
  ini.mSetString("Option", "LstChrBk", "");
  EXPECT_EQ(ini.mGetString("Option", "LstChrBk", "_BK"), "_BK");
  EXPECT_EQ(ini.mGetString("Option", "LstChrBk"), "");
}

TEST_F(IniFileTest, NamesIgnoreLetterCase) {
  ini.mSetString("Option", "BKUPEdit", "0");
  EXPECT_EQ(ini.mGetString("option", "BkupEdit", "1"), "0");
  ini.mSetString("OPTION", "bkupedit", "1");
  const std::string file = ReadFile(ini.pFileName());
  EXPECT_NE(file.find("BKUPEdit=1"), std::string::npos) << file;
  EXPECT_EQ(file.find("bkupedit"), std::string::npos) << file;
  EXPECT_EQ(file.find("OPTION"), std::string::npos) << file;
}

TEST_F(IniFileTest, ValuesSurviveAsGiven) {
  // CP932 holds no 😀 or ☃: such a value is kept whole, never as "?"; so is one
  // that looks like the form such a value is stored in, and a file name holding
  // bytes of another encoding (a CP932 name on a UTF-8 system, a stray byte).
  const char* values[] = {
      " lead", "trail ",     " both ",        "\"quoted\"",      "\"",          "a\"b",     "a=b;c",
      "😀",     " 雪☃_= ?x ", "=?UTF-8?Q?x?=", "/d/\x92\x86.cmb", "/d/\x92.cmb", "\xff\xfe", "\t"};
  clsIniFile utf8(CodePage::UTF8);
  utf8.pFileName(ini.pFileName());
  for (clsIniFile* file : {&ini, &utf8}) {
    for (const char* v : values) {
      ASSERT_TRUE(file->mSetString("recent", "00", v)) << v;
      EXPECT_EQ(file->mGetString("recent", "00"), v);
    }
  }
  // A value on more than one line would spill into the file's structure.
  EXPECT_FALSE(ini.mSetString("recent", "00", "a\r\nb=c"));
  EXPECT_EQ(ini.mGetString("recent", "00"), "\t");
}

TEST_F(IniFileTest, StoredInTheCodePage) {
  ini.mSetString("Option", "PtnName1", "日本語");
  EXPECT_NE(ReadFile(ini.pFileName()).find("PtnName1=" + Cp932(U"日本語")), std::string::npos);
  EXPECT_EQ(ini.mGetString("Option", "PtnName1"), "日本語");

  clsIniFile utf8(CodePage::UTF8);
  utf8.pFileName(dir.file("u.ini"));
  utf8.mSetString("Option", "PtnName1", "日本語");
  EXPECT_NE(ReadFile(dir.file("u.ini")).find("PtnName1=日本語"), std::string::npos);
}

TEST_F(IniFileTest, ReadsAreCutAt255BytesOfTheCodePage) {
  const struct {
    std::u32string stored;
    std::u32string read;
  } cases[] = {
      {std::u32string(300, U'x'), std::u32string(255, U'x')},
      {std::u32string(255, U'x'), std::u32string(255, U'x')},
      // 1 + 127 * 2 = 255 bytes: every character fits.
      {U"a" + std::u32string(130, U'漢'), U"a" + std::u32string(127, U'漢')},
      // 2 + 126 * 2 = 254: the next character would be split, so it is left out.
      {U"ab" + std::u32string(130, U'漢'), U"ab" + std::u32string(126, U'漢')},
      // A value CP932 cannot hold counts the bytes of its UTF-8.
      {U"😀" + std::u32string(300, U'x'), U"😀" + std::u32string(251, U'x')},
  };
  for (const auto& c : cases) {
    ini.mSetString("S", "K", U32ToUtf8(c.stored));
    EXPECT_EQ(Utf8ToU32(ini.mGetString("S", "K")), c.read) << c.stored.size();
  }
  // Characters count the bytes they were read from: EUC-JP's three-byte Ⅰ (8FF3AB)
  // is written as a two-byte code.
  ini.setCodePage(CodePage::EUCJP);
  std::string value;
  for (int i = 0; i < 100; ++i) value += "\x8f\xf3\xab";
  WriteFile(ini.pFileName(), "[S]\r\nK=" + value + "\r\n");
  EXPECT_EQ(Utf8ToU32(ini.mGetString("S", "K")), std::u32string(85, U'Ⅰ'));
}

TEST_F(IniFileTest, IntegerReading) {
  const struct {
    const char* stored;
    std::optional<int16_t> read;
  } cases[] = {{"12", 12},         {"-5", -5},
               {" 7x", 7},         {"abc", 0},
               {"32767", 32767},   {"32768", std::nullopt},
               {"-32768", -32768}, {"99999999999999", std::nullopt}};
  for (const auto& c : cases) {
    ini.mSetString("S", "N", c.stored);
    EXPECT_EQ(ini.mGetInteger("S", "N", 3), c.read) << c.stored;
  }
  EXPECT_EQ(ini.mGetInteger("S", "missing", 3), 3);
  EXPECT_EQ(ini.mGetInteger("S", "missing"), 0);
}

TEST_F(IniFileTest, FileKeepsOtherContentAndHandEditedLayout) {
  WriteFile(ini.pFileName(),
            "; comment\r\n[Settings]\r\nMainLeft = 120\r\n\r\n[Option]\r\nSelSts=*.txt\r\n");
  EXPECT_EQ(ini.mGetString("Settings", "MainLeft"), "120");
  ini.mSetString("Option", "CompMode", "1");
  EXPECT_EQ(ini.mGetString("Settings", "MainLeft"), "120");
  EXPECT_EQ(ini.mGetString("Option", "SelSts"), "*.txt");
  EXPECT_NE(ReadFile(ini.pFileName()).find("; comment"), std::string::npos);
}

TEST_F(IniFileTest, UnreadableFileIsNeverOverwritten) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  WriteFile(ini.pFileName(), "[Option]\nSelSts=*.txt\n");
  std::filesystem::permissions(ini.pFileName(), std::filesystem::perms::none);
  EXPECT_EQ(ini.mGetString("Option", "SelSts", "*.*"), "*.*");
  EXPECT_FALSE(ini.mSetString("Option", "CompMode", "1"));
  std::filesystem::permissions(ini.pFileName(), std::filesystem::perms::owner_all);
  EXPECT_EQ(ReadFile(ini.pFileName()), "[Option]\nSelSts=*.txt\n");
}

// The file is written beside its name and renamed over it: a link at its name is
// never written through, and a failed write leaves no temporary behind.
TEST_F(IniFileTest, ALinkAtItsNameIsNeverWrittenThrough) {
  WriteFile(dir.file("other.txt"), "precious\n");
  std::filesystem::create_symlink(dir.file("other.txt"), ini.pFileName());
  EXPECT_FALSE(ini.mSetString("Option", "CompMode", "1"));
  EXPECT_EQ(ReadFile(dir.file("other.txt")), "precious\n");
  EXPECT_TRUE(std::filesystem::is_symlink(ini.pFileName()));
  EXPECT_EQ(test::TemporariesIn(dir.path()), 0);
}

TEST_F(IniFileTest, HeldFileIsReadOnceAndWrittenOnce) {
  WriteFile(ini.pFileName(), "[Option]\nSelSts=*.txt\n");
  ASSERT_TRUE(ini.mHold().ok());
  WriteFile(ini.pFileName(), "[Option]\nSelSts=*.log\n");  // not seen while held
  EXPECT_EQ(ini.mGetString("option", "selsts"), "*.txt");
  EXPECT_TRUE(ini.mSetString("Option", "CompMode", "1"));
  EXPECT_EQ(ini.mGetString("Option", "CompMode"), "1");
  EXPECT_EQ(ReadFile(ini.pFileName()), "[Option]\nSelSts=*.log\n");
  EXPECT_TRUE(ini.mFlush());
  const std::string file = ReadFile(ini.pFileName());
  EXPECT_NE(file.find("SelSts=*.txt"), std::string::npos) << file;
  EXPECT_NE(file.find("CompMode=1"), std::string::npos) << file;
  WriteFile(ini.pFileName(), "[Option]\nSelSts=*.csv\n");  // single calls see the disk again
  EXPECT_EQ(ini.mGetString("Option", "SelSts"), "*.csv");
}

TEST_F(IniFileTest, ConvertingTheHeldCopyKeepsEveryValue) {
  ini.mSetString("Option", "PtnName1", "パターン");
  ASSERT_TRUE(ini.mHold().ok());
  ini.mConvertHeld(CodePage::UTF8);
  EXPECT_EQ(ini.mGetString("Option", "PtnName1"), "パターン");
  EXPECT_TRUE(ini.mFlush());
  clsIniFile utf8(CodePage::UTF8);
  utf8.pFileName(ini.pFileName());
  EXPECT_EQ(utf8.mGetString("Option", "PtnName1"), "パターン");
  EXPECT_NE(ReadFile(ini.pFileName()).find("パターン"), std::string::npos);
}

TEST_F(IniFileTest, AutoKeepsTheCodePageTheFileHas) {
  ini.mSetString("Option", "PtnName1", "パターン");  // a CP932 file
  clsIniFile automatic(CodePageSetting::Auto());
  automatic.pFileName(ini.pFileName());
  automatic.mSetString("Option", "PtnName2", "日本語");
  EXPECT_NE(ReadFile(ini.pFileName()).find("PtnName2=" + Cp932(U"日本語")), std::string::npos);
  EXPECT_EQ(automatic.mGetString("Option", "PtnName1"), "パターン");

  // A file of ASCII alone, or none, takes UTF-8.
  automatic.pFileName(dir.file("new.ini"));
  automatic.mSetString("Option", "SelSts", "*.txt");
  automatic.mSetString("Option", "PtnName1", "日本語");
  EXPECT_NE(ReadFile(dir.file("new.ini")).find("PtnName1=日本語"), std::string::npos);

  // Switching to auto leaves the file as it is; leaving auto converts what it shows.
  const std::string cp932File = ReadFile(ini.pFileName());
  clsIniFile saving(CodePage::CP932);
  saving.pFileName(ini.pFileName());
  ASSERT_TRUE(saving.mHold().ok());
  saving.mConvertHeld(CodePageSetting::Auto());
  EXPECT_TRUE(saving.mFlush());
  EXPECT_EQ(ReadFile(ini.pFileName()), cp932File);
  ASSERT_TRUE(saving.mHold().ok());
  saving.mConvertHeld(CodePage::EUCJP);
  EXPECT_TRUE(saving.mFlush());
  clsIniFile euc(CodePage::EUCJP);
  euc.pFileName(ini.pFileName());
  EXPECT_EQ(euc.mGetString("Option", "PtnName2"), "日本語");
}

TEST_F(IniFileTest, AUtf8MarkMeansUtf8WhateverTheCodePageAndStays) {
  const std::string mark = "\xEF\xBB\xBF";
  for (const CodePageSetting& setting :
       {CodePageSetting(CodePage::CP932), CodePageSetting(CodePage::UTF8),
        CodePageSetting(CodePage::EUCJP), CodePageSetting::Auto()}) {
    for (const bool held : {false, true}) {
      SCOPED_TRACE(CodePageSettingName(setting) + (held ? " held" : ""));
      WriteFile(ini.pFileName(), mark + "[Option]\r\nPtnName1=日本語\r\n");
      clsIniFile file(setting);
      file.pFileName(ini.pFileName());
      if (held) {
        ASSERT_TRUE(file.mHold().ok());
      }
      EXPECT_EQ(file.mGetString("Option", "PtnName1"), "日本語");
      EXPECT_TRUE(file.mSetString("Option", "PtnName2", "漢字"));
      if (held) {
        EXPECT_TRUE(file.mFlush());
      }
      const std::string bytes = ReadFile(ini.pFileName());
      EXPECT_TRUE(bytes.starts_with(mark + "[Option]"));
      EXPECT_NE(bytes.find("PtnName2=漢字"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace kadrel
