#include <gtest/gtest.h>

#include "core/file_naming.h"
#include "core/run_context.h"
#include "support/fake_host.h"
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

TEST(MakeOutNameTest, DerivesBackupResultAndWorkNames) {
  test::FakeHost host;
  RunContext ctx(host, SystemFileLayer());
  ctx.programFolder = "/opt/kadrel";
  struct Case {
    std::string fstBk, lstBk, fst, lst, path, kind, expected;
  } cases[] = {
      {"", "_BK", "", "_SEL", "/data/ABC.txt", "bk", "/data/ABC.txt_BK"},
      {"", "_BK", "", "_SEL", "/data/ABC.txt", "BK", "/data/ABC.txt_BK"},
      {"", "_BK", "", "_SEL", "/data/ABC.txt", "sel", "/data/ABC.txt_SEL"},
      {"", "_BK", "", "_SEL", "/data/ABC.txt", "Sel", "/data/ABC.txt_SEL"},
      {"old_", "_BK", "", "_SEL", "/data/ABC.txt", "bk", "/data/old_ABC.txt_BK"},
      {"", "_BK", "", "_SEL", "/data/README", "bk", "/data/README_BK"},
      {"", "_BK", "", "_SEL", "/data/ABC.txt", "bK", "/opt/kadrel/kdrcmb.work"},
      {"", "_BK", "", "_SEL", "/data/ABC.txt", "wk", "/opt/kadrel/kdrcmb.work"},
  };
  for (const auto& c : cases) {
    ctx.options.FstChrBk = c.fstBk;
    ctx.options.LstChrBk = c.lstBk;
    ctx.options.FstChr = c.fst;
    ctx.options.LstChr = c.lst;
    EXPECT_EQ(MakeOutName(ctx, c.path, c.kind), c.expected) << c.kind;
  }
  EXPECT_EQ(AddPathSep("/a"), "/a/");
  EXPECT_EQ(AddPathSep("/a/"), "/a/");
}

}  // namespace
}  // namespace kadrel
