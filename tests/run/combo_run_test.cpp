#include <gtest/gtest.h>

#include <filesystem>

#include "run/run_context.h"
#include "run/run_driver.h"
#include "support/fake_files.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"

namespace kadrel {
namespace {

using test::FileExists;
using test::ReadFile;
using test::WriteFile;

class ComboRunTest : public testing::Test {
 protected:
  ComboRunTest() : ctx(host, files) {
    ctx.ComboRun = true;
    ctx.options.BkupEdit = 0;  // not consulted: the file backup is always kept
  }

  std::string target(const std::string& name, const std::string& content) {
    std::string path = dir.file(name);
    WriteFile(path, content);
    ctx.targets.push_back(path);
    return path;
  }

  test::TempDir dir;
  test::FakeHost host;
  test::FakeFiles files;
  RunContext ctx;
};

TEST_F(ComboRunTest, EachStepReadsTheOutputOfTheStepBefore) {
  struct Case {
    std::vector<std::string> steps;
    std::string in, out;
  } cases[] = {
      // extraction first: the replacement sees only the extracted lines
      {{"3,BEGIN,END,#", "0,0,x,0,y,#"},
       "x0\r\nBEGIN x\r\nx\r\nEND\r\nx9\r\n",
       "BEGIN y\r\ny\r\nEND\r\n"},
      // LF-only file converted first: the later steps pass the UNIX check
      {{"1,#", "5,1,0,0,1,0,#"}, "a \n\nb\n", "a\r\nb\r\n"},
      // a mode-0 line carrying a sixth field never uses the window's text
      {{"0,0,a,0,b,1,#"}, "a\r\n", "b\r\n"},
      // unknown steps are skipped without a message
      {{"9,x,#", "#,comment,#", "2,0,0,1,1,0,>,0,0,#"}, "a\r\n", ">a\r\n"},
      {{"4,a,True,b,False,,#"}, "ab\r\na\r\nb\r\n", "ab\r\n"},
  };
  ctx.multiLineReplacement = "WINDOW";
  for (const auto& c : cases) {
    ctx.targets.clear();
    ctx.steps = c.steps;
    std::string path = target("t.txt", c.in);
    RunAll(ctx);
    EXPECT_EQ(ReadFile(path), c.out) << c.steps[0];
    EXPECT_EQ(ReadFile(path + "_BK"), c.in) << c.steps[0];
    EXPECT_EQ(test::TemporariesIn(dir.path()), 0);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes[0].text;
  }
}

TEST_F(ComboRunTest, ABareLfFileSkipsRewritingStepsButTriesTheRest) {
  std::string path = target("t.txt", "a\nb\n");
  ctx.steps = {"0,0,a,0,x,#", "1,#", "0,0,b,0,y,#"};
  RunAll(ctx);
  EXPECT_EQ(ReadFile(path), "a\r\ny\r\n");
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_NE(host.boxes[0].text.find("ＵＮＩＸ形式"), std::string::npos);
}

TEST_F(ComboRunTest, ReportsFileAndStepCounters) {
  target("a.txt", "a\r\n");
  target("b.txt", "a\r\n");
  target("c.txt", "a\r\n");
  ctx.steps = {"1,#", "1,#"};
  ctx.DescText = "3 File の 2 処理連続実行（COMBO!!）を";
  RunAll(ctx);
  ASSERT_GE(host.progress.size(), 6u);
  EXPECT_EQ(
      host.progress[0].text,
      "3 File の 2 処理連続実行（COMBO!!）を処理中です...\r\nFILE ( 1 / 3 )\r\nCOMBO!! ( 1 / 2 )");
  EXPECT_EQ(host.progress[1].text.substr(host.progress[1].text.find("FILE")),
            "FILE ( 1 / 3 )\r\nCOMBO!! ( 2 / 2 )");
  EXPECT_EQ(host.progress[2].text.substr(host.progress[2].text.find("FILE")),
            "FILE ( 2 / 3 )\r\nCOMBO!! ( 1 / 2 )");
  EXPECT_EQ(host.progress[5].text.substr(host.progress[5].text.find("FILE")),
            "FILE ( 3 / 3 )\r\nCOMBO!! ( 2 / 2 )");
}

TEST_F(ComboRunTest, AnErrorLeavesTheFileAsItWasAndSkipsItsRemainingSteps) {
  std::string bad = target("bad.txt", "a\r\n");
  std::string good = target("good.txt", "a\r\n");
  // The second step's output fails at close.
  files.faults = {{test::Op::Close, "bad.txt", 2, -1, ENOSPC}};
  ctx.steps = {"1,#", "0,0,a,0,b,#", "0,0,b,0,c,#"};
  RunAll(ctx);
  EXPECT_EQ(ReadFile(bad), "a\r\n");
  EXPECT_EQ(ReadFile(good), "c\r\n");
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].title, "File Write Error");
}

TEST_F(ComboRunTest, AFailedBackupLeavesTheFileAsItWas) {
  std::string path = target("t.txt", "a\r\n");
  files.faults = {{test::Op::Copy, "t.txt_BK", 1, -1, ENOSPC}};
  ctx.steps = {"0,0,a,0,b,#"};
  RunAll(ctx);
  EXPECT_EQ(ReadFile(path), "a\r\n");
  ASSERT_EQ(host.boxes.size(), 1u);
}

TEST_F(ComboRunTest, CancelLeavesEveryFileWithItsPreviousContent) {
  for (long at = 1; at <= 7; ++at) {
    ctx.targets.clear();
    ctx.CancelFlag = false;
    host = test::FakeHost();
    std::string a = target("a.txt", "a1\r\na2\r\n");
    std::string b = target("b.txt", "b1\r\n");
    ctx.steps = {"0,0,1,0,X,#", "0,0,2,0,Y,#"};
    host.cancelAtYield(&ctx.CancelFlag, at);
    RunAll(ctx);
    for (const auto& [path, before, after] :
         {std::tuple{a, "a1\r\na2\r\n", "aX\r\naY\r\n"}, std::tuple{b, "b1\r\n", "bX\r\n"}}) {
      const std::string now = ReadFile(path);
      EXPECT_TRUE(now == before || now == after) << at << " " << path << ": " << now;
    }
  }
}

}  // namespace
}  // namespace kadrel
