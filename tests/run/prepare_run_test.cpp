#include "run/prepare_run.h"

#include <gtest/gtest.h>

#include "support/fake_files.h"
#include "support/fake_host.h"

namespace kadrel {
namespace {

const std::string kPlaceholder = "対象ファイルをドロップして下さい";

RunRequest StepLine(const std::string& line, std::vector<std::string> list = {"/d/a.txt"}) {
  RunRequest r;
  r.listEntries = std::move(list);
  r.stepLine = line;
  return r;
}

RunRequest Combo(const std::string& text, std::vector<std::string> steps = {"1,#"}) {
  RunRequest r;
  r.listEntries = {"/d/a.txt", "/d/b.txt"};
  r.combo = true;
  r.comboText = text;
  r.comboSteps = std::move(steps);
  return r;
}

RunRequest Page(ModeSettings settings, bool multiLine = false) {
  RunRequest r;
  r.listEntries = {"/d/a.txt"};
  r.page = PageValues{std::move(settings), multiLine};
  return r;
}

ModeSettings Keywords(const std::string& start, const std::string& end) {
  ModeSettings s;
  s.ModeIdx = 3;
  s.StartChr = start;
  s.EndChr = end;
  return s;
}

ModeSettings Replacement() {
  ModeSettings s;
  s.TrimChr = "x";
  s.ChangeChr = "y";
  return s;
}

TEST(PrepareRun, StartChecksThenTheStep) {
  const struct {
    const char* name;
    RunRequest request;
    bool ready;
    std::vector<std::string> boxes;
    std::string descText;
  } cases[] = {
      {"nothing listed", StepLine("1,#", {}), false, {"ファイルを指定してください"}, ""},
      {"the placeholder line",
       StepLine("1,#", {kPlaceholder}),
       false,
       {"ファイルを指定してください"},
       ""},
      {"refused before the step is checked",
       StepLine("9,#", {}),
       false,
       {"ファイルを指定してください"},
       ""},
      {"a step line",
       StepLine("3,A,B,#"),
       true,
       {},
       "1 File の\r\nキーワード指定範囲抽出　開始Key A  終了Key B を"},
      {"a step line the check refuses",
       StepLine("3,,B,#"),
       false,
       {"開始ｷｰﾜｰﾄﾞ文字列を指定してください"},
       ""},
      {"no COMBO!! text", Combo(""), false, {"COMBO!!を指定してください"}, ""},
      {"the COMBO!! prompt",
       Combo("COMBO!!ファイルをドロップして下さい"),
       false,
       {"COMBO!!ファイルをドロップしてください"},
       ""},
      {"a COMBO!! run",
       Combo("<< x >>\r\n", {"1,#", "1,#", "1,#"}),
       true,
       {},
       "2 File の 3 処理連続実行（COMBO!!）を"},
      {"a mode page",
       Page(Keywords("S", "E")),
       true,
       {},
       "1 File の\r\nキーワード指定範囲抽出　開始Key S  終了Key E を"},
      {"a mode page the check refuses",
       Page(Keywords("S", "")),
       false,
       {"終了ｷｰﾜｰﾄﾞ文字列を指定してください"},
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::FakeHost host;
    test::FakeFiles files;
    const PreparedRun prepared = PrepareRun(host, files, c.request);
    EXPECT_EQ(prepared.ready, c.ready);
    EXPECT_EQ(host.texts(), c.boxes);
    ASSERT_NE(prepared.context, nullptr);
    EXPECT_EQ(prepared.context->DescText, c.descText);
    EXPECT_EQ(prepared.context->ComboRun, c.request.combo);
    EXPECT_EQ(prepared.context->targets, c.request.listEntries);
  }
}

TEST(PrepareRun, AStepListLoadedInPartNeverRuns) {
  RunRequest request = Combo("<< x >>\r\n");
  request.stepListComplete = false;
  test::FakeHost host;
  test::FakeFiles files;
  EXPECT_FALSE(PrepareRun(host, files, request).ready);
  EXPECT_TRUE(host.boxes.empty());  // the loading has told why

  request.listEntries.clear();  // the START checks come first
  EXPECT_FALSE(PrepareRun(host, files, request).ready);
  EXPECT_EQ(host.texts(), std::vector<std::string>{"ファイルを指定してください"});
}

TEST(PrepareRun, AReplacementOfThePageTakesItsSourceAsField6) {
  for (bool multiLine : {false, true}) {
    test::FakeHost host;
    test::FakeFiles files;
    RunRequest request = Page(Replacement(), multiLine);
    request.multiLineReplacement = "1\r\n2";
    const PreparedRun prepared = PrepareRun(host, files, request);
    ASSERT_TRUE(prepared.ready);
    const RunContext& ctx = *prepared.context;
    EXPECT_EQ(ctx.StepArr.fields(),
              (std::vector<std::string>{"0", "0", "x", "0", "y", multiLine ? "1" : "0"}));
    EXPECT_EQ(ctx.multiLineReplacement, "1\r\n2");
  }
}

TEST(PrepareRun, ARefusedStepStaysAsTheCheckLeftIt) {
  test::FakeHost host;
  test::FakeFiles files;
  const PreparedRun prepared = PrepareRun(host, files, StepLine("0,0,,0,x,#"));
  EXPECT_FALSE(prepared.ready);
  EXPECT_EQ(prepared.context->StepArr.fields(),
            (std::vector<std::string>{"0", "0", "", "0", "x", "0"}));
}

}  // namespace
}  // namespace kadrel
