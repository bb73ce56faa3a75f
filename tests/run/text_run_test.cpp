// How a run treats text it cannot take for granted: a code page the guess did not
// settle, a byte order mark under an explicit code page, a joint result file in
// another code page than a target, a backup name that is no file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "combo/step_line.h"
#include "run/run_context.h"
#include "run/run_driver.h"
#include "support/fake_files.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"
#include "text/code_page.h"
#include "text/utf.h"

namespace kadrel {
namespace {

namespace fs = std::filesystem;
using test::FileExists;
using test::ReadFile;
using test::WriteFile;

const std::string kMark = "\xEF\xBB\xBF";

std::string Encoded(const char* utf8, CodePage cp) {
  return CodecFor(cp).encode(Utf8ToU32(utf8));
}

class TextRunTest : public testing::Test {
 protected:
  TextRunTest() : ctx(host, files) {}

  std::string target(const std::string& name, const std::string& content) {
    const std::string path = dir.file(name);
    WriteFile(path, content);
    ctx.targets.push_back(path);
    return path;
  }
  // Runs one step given as its fields (the step line without its terminator).
  void run(const std::string& fields) {
    host.boxes.clear();
    ctx.StepArr = SplitStepLine(fields + ",#");
    report = RunAll(ctx);
  }

  test::TempDir dir;
  test::FakeHost host;
  test::FakeFiles files;
  RunContext ctx;
  RunReport report;
};

// ｾﾚｸﾀ in CP932 is 証言 in EUC-JP, byte for byte: the guess cannot settle it.
TEST_F(TextRunTest, AGuessNotSettledIsNeverWrittenOn) {
  const std::string content = Encoded("ｾﾚｸﾀ\r\nabc\r\n", CodePage::CP932);
  const struct {
    const char* what;
    const char* step;
    int16_t updateNoFile;
    CodePageSetting codePage;
    TargetOutcome outcome;
    std::string after;  // the target afterwards
  } rows[] = {
      {"a replacement that changes the file", "0,0,abc,0,xyz,0", 1, CodePageSetting::Auto(),
       TargetOutcome::Skipped, content},
      {"an insert at the line heads", "2,0,0,1,1,0,#,0,0", 1, CodePageSetting::Auto(),
       TargetOutcome::Skipped, content},
      {"a replacement that finds nothing, UpdateNoFile on: the same bytes", "0,0,none,0,x,0", 1,
       CodePageSetting::Auto(), TargetOutcome::Replaced, content},
      {"a replacement that finds nothing, UpdateNoFile off", "0,0,none,0,x,0", 0,
       CodePageSetting::Auto(), TargetOutcome::Unchanged, content},
      {"line ends that are CR LF already", "1", 1, CodePageSetting::Auto(), TargetOutcome::Replaced,
       content},
      {"a code page chosen: written as ever", "0,0,abc,0,xyz,0", 1, CodePage::CP932,
       TargetOutcome::Replaced, Encoded("ｾﾚｸﾀ\r\nxyz\r\n", CodePage::CP932)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(dir.path());
    fs::create_directories(dir.path());
    ctx.targets.clear();
    ctx.options.codePage = row.codePage;
    ctx.options.UpdateNoFile = row.updateNoFile;
    const std::string path = target("t.txt", content);
    run(row.step);
    EXPECT_TRUE(ReadFile(path) == row.after);
    EXPECT_EQ(report.targets.at(0).outcome, row.outcome);
    if (row.outcome != TargetOutcome::Skipped) {
      EXPECT_TRUE(host.boxes.empty()) << host.texts().front();
      continue;
    }
    EXPECT_FALSE(FileExists(path + "_BK"));
    EXPECT_EQ(test::TemporariesIn(dir.path()), 0);
    ASSERT_EQ(host.boxes.size(), 1u);
    const std::string& text = host.boxes[0].text;
    EXPECT_TRUE(text.starts_with("文字コードを判定できないため処理を飛ばします（")) << text;
    EXPECT_NE(text.find("CP932"), std::string::npos);
    EXPECT_NE(text.find("EUC-JP"), std::string::npos);
    EXPECT_NE(text.find("\r[ " + path + " ]\r"), std::string::npos);
  }
}

TEST_F(TextRunTest, AnExtractionOnAGuessNotSettledSaysWhatItTook) {
  ctx.options.SelAddSts = 1;
  const std::string path = target("t.txt", Encoded("ｾﾚｸﾀ\r\nabc\r\n", CodePage::CP932));
  run("4,abc,False,,False,");
  EXPECT_EQ(ReadFile(path + "_SEL"), "abc\r\n");
  EXPECT_EQ(report.targets.at(0).outcome, TargetOutcome::Extracted);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].icon, BoxIcon::Information);
  EXPECT_NE(host.boxes[0].text.find(" として抽出しました（"), std::string::npos);
}

// Under UTF-8 chosen explicitly, as with 自動判定, the mark is the file's: no
// step sees it, the target keeps it at its head, a result has it at its head
// only.
TEST_F(TextRunTest, AByteOrderMarkUnderUtf8StaysTheFilesForEveryEngine) {
  const struct {
    const char* step;
    std::string before;  // after the mark
    std::string after;   // the target, or the result file with the mark
    bool result;
  } rows[] = {
      {"0,0,a,0,X,0", "abc\r\na\r\n", "Xbc\r\nX\r\n", false},
      {"1", "a\nb\n", "a\r\nb\r\n", false},
      {"2,0,0,1,1,0,X,0,0", "abc\r\n", "Xabc\r\n", false},  // insert at the head
      {"2,0,1,0,0,0,,0,0", "abc\r\n", "bc\r\n", false},     // cut one character
      {"2,0,0,2,0,0,,1,1", "abc\r\n", "1abc\r\n", false},   // number the lines
      {"5,1,0,1,0,0", "  abc\r\n\r\n", "abc\r\n", false},
      {"3,a,c", "abc\r\nx\r\n", "abc\r\n", true},
      {"4,b,False,,False,", "abc\r\nx\r\n", "abc\r\n", true},
  };
  for (const CodePageSetting& codePage :
       {CodePageSetting(CodePage::UTF8), CodePageSetting::Auto()}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(row.step) + " " + CodePageSettingName(codePage));
      fs::remove_all(dir.path());
      fs::create_directories(dir.path());
      ctx.targets.clear();
      ctx.options.codePage = codePage;
      ctx.options.BkupEdit = 0;
      ctx.options.SelAddSts = 1;
      const std::string path = target("t.txt", kMark + row.before);
      run(row.step);
      EXPECT_TRUE(host.boxes.empty()) << host.texts().front();
      EXPECT_EQ(ReadFile(row.result ? path + "_SEL" : path), kMark + row.after);
    }
  }
}

TEST_F(TextRunTest, AJointResultHoldsNoMarkInItsBody) {
  ctx.options.codePage = CodePage::UTF8;
  ctx.options.SelFile = 1;
  ctx.options.SelAddSts = 1;
  const std::string a = target("a.txt", kMark + "a1\r\n");
  target("b.txt", kMark + "a2\r\n");
  target("c.txt", "a3\r\n");
  run("4,a,False,,False,");
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(ReadFile(a + "_SEL"), kMark + "a1\r\na2\r\na3\r\n");
}

// A character of a later target that the joint result file's code page (its
// first target's) cannot hold leaves that target's block out with its box: the
// joint file never holds "?" for it.
TEST_F(TextRunTest, AJointResultLeavesOutABlockItCannotHold) {
  ctx.options.SelFile = 1;
  ctx.options.SelAddSts = 1;
  const std::string a = target("a.txt", Encoded("二 日本\r\n", CodePage::CP932));
  const std::string b = target("b.txt", "二 キー 😀 ü\r\n二 two\r\n");
  target("c.txt", Encoded("二 三\r\n", CodePage::EUCJP));
  run("4,二,False,,False,");
  EXPECT_EQ(ReadFile(a + "_SEL"), Encoded("二 日本\r\n二 三\r\n", CodePage::CP932));
  EXPECT_EQ(
      host.texts(),
      std::vector<std::string>{
          "連結する抽出結果ファイルに CP932 で書き込めない文字があります [ 😀 (U+1F600) ]\r[ " + b +
          " ]\rこのファイルの抽出結果は出力しません"});
  EXPECT_EQ(report.targets.at(1).outcome, TargetOutcome::Skipped);
  EXPECT_EQ(report.targets.at(2).outcome, TargetOutcome::Extracted);
}

TEST_F(TextRunTest, ABackupNameThatIsNoFileGivesTheBackupBox) {
  const struct {
    const char* what;
    void (*plant)(const std::string& backup, const std::string& outside);
  } rows[] = {
      {"a folder",
       [](const std::string& backup, const std::string&) { fs::create_directory(backup); }},
      {"a link to a file", [](const std::string& backup,
                              const std::string& outside) { fs::create_symlink(outside, backup); }},
      {"a dangling link",
       [](const std::string& backup, const std::string&) {
         fs::create_symlink("/nonexistent/kadrel", backup);
       }},
  };
  test::TempDir elsewhere;
  const std::string outside = elsewhere.file("kept.txt");
  WriteFile(outside, "kept\r\n");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(dir.path());
    fs::create_directories(dir.path());
    ctx.targets.clear();
    const std::string path = target("t.txt", "a\r\n");
    row.plant(path + "_BK", outside);
    run("0,0,a,0,X,0");
    EXPECT_EQ(ReadFile(path), "a\r\n");
    EXPECT_EQ(ReadFile(outside), "kept\r\n");
    EXPECT_EQ(report.targets.at(0).outcome, TargetOutcome::Skipped);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(
        host.boxes[0].text.starts_with("ファイルバックアップ処理でエラーが発生しました\r元[ " +
                                       path + "]\r先[ " + path + "_BK]\r"))
        << host.boxes[0].text;
  }
}

}  // namespace
}  // namespace kadrel
