// The parts of kadrel-cli that need no process: the command line, the box
// blocks, absolute paths and the -o values.
#include <gtest/gtest.h>

#include "cli/cli_host.h"
#include "cli/cli_options.h"
#include "cli/run_options_source.h"
#include "cli/targets.h"

namespace kadrel::cli {
namespace {

ParseOutcome Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "kadrel-cli");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return ParseCommandLine(static_cast<int>(args.size()), argv.data());
}

TEST(CliCommandLine, ReadsEveryOption) {
  ParseOutcome p = Parse({"-s", "1,#", "a.txt", "-q", "--ini", "k.ini", "-o", "SelSts=*.txt",
                          "--option", "LstChr=", "--answer", "ok", "dir/"});
  ASSERT_TRUE(p.ok) << p.error;
  const Request& r = p.request;
  EXPECT_EQ(r.command, Command::RunStep);
  EXPECT_EQ(r.stepLine, "1,#");
  EXPECT_TRUE(r.quiet);
  EXPECT_EQ(r.iniPath, "k.ini");
  ASSERT_EQ(r.optionValues.size(), 2u);
  EXPECT_EQ(r.optionValues[0], (std::pair<std::string, std::string>{"SelSts", "*.txt"}));
  EXPECT_EQ(r.optionValues[1], (std::pair<std::string, std::string>{"LstChr", ""}));
  EXPECT_EQ(r.problemAnswer, BoxAnswer::Ok);
  EXPECT_EQ(r.paths, (std::vector<std::string>{"a.txt", "dir/"}));
}

TEST(CliCommandLine, ComboFilesKeepTheirOrder) {
  ParseOutcome run = Parse({"-c", "b.cmb", "--combo", "a.cmb", "x"});
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.request.command, Command::RunCombo);
  EXPECT_EQ(run.request.comboFiles, (std::vector<std::string>{"b.cmb", "a.cmb"}));
  EXPECT_EQ(run.request.problemAnswer, BoxAnswer::Cancel);

  ParseOutcome show = Parse({"--show-combo", "b.cmb", "a.cmb", "c.cmb"});
  ASSERT_TRUE(show.ok);
  EXPECT_EQ(show.request.command, Command::ShowCombo);
  EXPECT_EQ(show.request.comboFiles, (std::vector<std::string>{"b.cmb", "a.cmb", "c.cmb"}));
  EXPECT_TRUE(show.request.paths.empty());
}

TEST(CliCommandLine, DoubleDashEndsOptions) {
  ParseOutcome p = Parse({"--list", "--", "-odd-name.txt"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.request.paths, (std::vector<std::string>{"-odd-name.txt"}));
}

TEST(CliCommandLine, HelpAndVersionWinOverEverythingElse) {
  EXPECT_EQ(Parse({"-s", "1,#", "--help"}).request.command, Command::Help);
  EXPECT_EQ(Parse({"-V"}).request.command, Command::Version);
  EXPECT_NE(HelpText().find("Examples"), std::string::npos);
}

struct UsageCase {
  std::vector<std::string> args;
  std::string error;  // a part of the message
};
void PrintTo(const UsageCase& c, std::ostream* os) {
  *os << c.error;
}

class CliUsageErrors : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsageErrors, AreRefusedWithAReason) {
  ParseOutcome p = Parse(GetParam().args);
  EXPECT_FALSE(p.ok);
  EXPECT_NE(p.error.find(GetParam().error), std::string::npos) << p.error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsageErrors,
    ::testing::Values(
        UsageCase{{"a.txt"}, "処理を指定してください"},
        UsageCase{{"-s", "1,#", "--list", "a"}, "どれか一つだけ"},
        UsageCase{{"-s", "1,#", "-s", "1,#", "a"}, "-s/--step は一度だけ"},
        UsageCase{{"--describe", "1,#", "a.txt"}, "PATH は指定できません"},
        UsageCase{{"--answer", "yes", "--list", "a"}, "ok か cancel"},
        UsageCase{{"-o", "SelSts", "--list", "a"}, "KEY=VALUE の形で指定してください（「SelSts」"},
        UsageCase{{"--list", "a", "--frobnicate"}, "「--frobnicate」というオプションはありません"},
        UsageCase{{"--list", "a", "-x"}, "「-x」"},
        UsageCase{{"--list", "a", "-c"}, "オプション -c には値を指定してください"},
        UsageCase{{"--list", ""}, "空白だけの PATH"},
        UsageCase{{"-s", "1,#", "a", " "}, "空白だけの PATH"},
        UsageCase{{"-c", "\t", "a"}, "空白だけの COMBO!!"},
        UsageCase{{"--ini", " ", "--list", "a"}, "--ini には設定ファイル名"},
        UsageCase{{"-s", "1,#", "-0", "a"}, "--list と一緒にだけ"},
        // Control bytes are shown, never sent to the terminal.
        UsageCase{{"--answer", "\x1b[2J", "--list", "a"}, "（「\\x1B[2J」は使えません）"},
        UsageCase{{"--list", "a", "--\x07"}, "「--\\x07」"}));

TEST(CliBoxBlock, TitleAndLineBreaks) {
  MessageBoxRequest box;
  box.text = "one\r\ntwo\rthree\nfour";
  EXPECT_EQ(FormatBoxBlock(box), "[Kadrel] one\ntwo\nthree\nfour\n");
  box.title = "File Open Error";
  box.text = "\r\r\n";
  EXPECT_EQ(FormatBoxBlock(box), "[File Open Error] \n\n\n");
}

TEST(CliHostAnswers, OkCancelAsToldYesNoByDefault) {
  std::FILE* sink = std::tmpfile();
  CliHost host(sink, BoxAnswer::Cancel, false);
  MessageBoxRequest box;
  EXPECT_EQ(host.showMessage(box), BoxAnswer::Ok);
  box.buttons = BoxButtons::OkCancel;
  EXPECT_EQ(host.showMessage(box), BoxAnswer::Cancel);
  box.buttons = BoxButtons::YesNo;
  box.defaultAnswer = BoxAnswer::No;
  EXPECT_EQ(host.showMessage(box), BoxAnswer::No);
  EXPECT_EQ(host.boxCount(), 3);
  host.setProgress({"x", 0, 3, 0, 0});  // no terminal: nothing written
  std::fflush(sink);
  EXPECT_EQ(std::ftell(sink), 3 * static_cast<long>(std::string("[Kadrel] \n").size()));
  std::fclose(sink);
}

TEST(CliAbsolutePath, RelativePathsJoinTheWorkingFolder) {
  EXPECT_EQ(AbsolutePath("a.txt", "/w"), "/w/a.txt");
  EXPECT_EQ(AbsolutePath("./sub//b.txt", "/w"), "/w/sub/b.txt");
  EXPECT_EQ(AbsolutePath(".", "/w"), "/w/");
  EXPECT_EQ(AbsolutePath("sub/", "/w"), "/w/sub/");
  EXPECT_EQ(AbsolutePath("../x", "/w/y"), "/w/y/../x");  // ".." left to the file system
  EXPECT_EQ(AbsolutePath("/abs/c.txt", "/w"), "/abs/c.txt");
  EXPECT_EQ(AbsolutePath("/", "/w"), "/");
  EXPECT_EQ(AbsolutePath("", "/w"), "");
}

// The checks themselves are the options dialog's (settings tests); here: every
// refusal comes back with the key and the value named.
TEST(CliRunOptionValues, RefusedValuesAreNamed) {
  const std::pair<const char*, const char*> refused[] = {
      {"BkupEdit", "yes"}, {"UpdateNoFile", "99999"}, {"SelSts", "*.*;*.txt"},
      {"FstChrBk", "../"}, {"CodePage", "latin1"},    {"Nonsense", "1"},
  };
  for (const auto& [key, value] : refused) {
    RunOptions o;
    std::string error;
    EXPECT_FALSE(SetRunOption(o, key, value, error)) << key;
    EXPECT_NE(error.find(key == std::string("CodePage") ? value : key), std::string::npos) << error;
  }
  RunOptions o;
  std::string error;
  EXPECT_FALSE(SetRunOption(o, "LstChr", "\x1b[2J", error));
  EXPECT_NE(error.find("「\\x1B[2J」"), std::string::npos) << error;  // never sent to the terminal
}

}  // namespace
}  // namespace kadrel::cli
