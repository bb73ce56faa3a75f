#include <gtest/gtest.h>

#include "core/file_naming.h"
#include "core/run_options.h"
#include "support/temp_dir.h"

namespace kadrel {
namespace {

TEST(FNameEditTest, SplitsPaths) {
  test::TempDir dir;
  test::WriteFile(dir.file("a.b.txt"), "");
  test::WriteFile(dir.file(" blank.txt "), "");  // a name that really has blanks
  struct Case {
    std::string path, dir, name, sts1, sts2;
  } cases[] = {
      {"/data/ABC.txt", "/data/", "ABC.txt", "ABC", ".txt"},
      {"/data/a.b.txt", "/data/", "a.b.txt", "a", ".b.txt"},
      {"/data/README", "/data/", "README", "README", ""},
      {"/data/.hidden", "/data/", ".hidden", "", ".hidden"},
      {"  /data/x.c  ", "/data/", "x.c", "x", ".c"},
      {dir.path() + "/", dir.path() + "/", "", "", ""},  // an existing folder
      {dir.path(), dir.path() + "/", "", "", ""},        // a folder without its separator
      {"/nowhere/file.txt/", "/nowhere/", "file.txt", "file", ".txt"},  // dropped separator
      {"", "", "", "", ""},
      {dir.file(" blank.txt "), dir.path() + "/", " blank.txt ", " blank", ".txt "},
  };
  for (const auto& c : cases) {
    FNameEdit n;
    n.ifaFullPath = c.path;
    n.cFNameEdit();
    EXPECT_EQ(n.ifaDirName, c.dir) << c.path;
    EXPECT_EQ(n.ifaFileName, c.name) << c.path;
    EXPECT_EQ(n.ifaFileSts1, c.sts1) << c.path;
    EXPECT_EQ(n.ifaFileSts2, c.sts2) << c.path;
  }
}

TEST(MakeOutNameTest, DerivesBackupAndResultNames) {
  struct Case {
    std::string fstBk, lstBk, fst, lst, path;
    OutName kind;
    std::string expected;
  } cases[] = {
      {"", "_BK", "", "_SEL", "/data/ABC.txt", OutName::Backup, "/data/ABC.txt_BK"},
      {"", "_BK", "", "_SEL", "/data/ABC.txt", OutName::Result, "/data/ABC.txt_SEL"},
      {"old_", "_BK", "", "_SEL", "/data/ABC.txt", OutName::Backup, "/data/old_ABC.txt_BK"},
      {"", "_BK", "pre_", "", "/data/a.b.c", OutName::Result, "/data/pre_a.b.c"},
      {"", "_BK", "", "_SEL", "/data/README", OutName::Backup, "/data/README_BK"},
  };
  for (const auto& c : cases) {
    RunOptions options;
    options.FstChrBk = c.fstBk;
    options.LstChrBk = c.lstBk;
    options.FstChr = c.fst;
    options.LstChr = c.lst;
    EXPECT_EQ(MakeOutName(options, c.path, c.kind), c.expected) << c.path;
  }
  EXPECT_EQ(AddPathSep("/a"), "/a/");
  EXPECT_EQ(AddPathSep("/a/"), "/a/");
}

}  // namespace
}  // namespace kadrel
