// The parts of kadrel-cli that need no process: the command line, the box
// blocks, absolute paths and the -o values.
#include <gtest/gtest.h>

#include <set>

#include "cli/cli_host.h"
#include "cli/cli_options.h"
#include "cli/docs_generator.h"
#include "cli/option_table.h"
#include "cli/path_display.h"
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
  EXPECT_EQ(r.optionValues,
            (std::vector<OptionValue>{{"SelSts", "*.txt", "SelSts"}, {"LstChr", "", "LstChr"}}));
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
        UsageCase{{"--describe", "1,#", "a.txt"}, "--describe には PATH を指定できません"},
        UsageCase{{"--answer", "yes", "--list", "a"}, "ok か cancel"},
        UsageCase{{"-j", "0", "-s", "1,#", "a"}, "1 から 64 までの数を指定してください（「0」"},
        UsageCase{{"--jobs", "65", "-s", "1,#", "a"}, "1 から 64 までの数"},
        UsageCase{{"-j", "two", "-s", "1,#", "a"}, "（「two」"},
        UsageCase{{"-o", "SelSts", "--list", "a"}, "KEY=VALUE の形で指定してください（「SelSts」"},
        UsageCase{{"--list", "a", "--frobnicate"}, "「--frobnicate」というオプションはありません"},
        UsageCase{{"--list", "a", "-x"}, "「-x」"},
        UsageCase{{"--list", "a", "-c"}, "オプション -c には値を指定してください"},
        UsageCase{{"--list", ""}, "空白だけの PATH"},
        UsageCase{{"-s", "1,#", "a", " "}, "空白だけの PATH"},
        UsageCase{{"-c", "\t", "a"}, "空白だけの COMBO!!"},
        UsageCase{{"--ini", " ", "--list", "a"}, "--ini には設定ファイル名"},
        UsageCase{{"-s", "1,#", "-0", "a"}, "--list と一緒にだけ"},
        UsageCase{{"--undo", "--no-undo"},
                  "--no-undo は replace などの処理, -s, -c のどれかと一緒にだけ"},
        // Control bytes are shown, never sent to the terminal.
        UsageCase{{"--answer", "\x1b[2J", "--list", "a"}, "（「\\x1B[2J」は使えません）"},
        UsageCase{{"--list", "a", "--\x07"}, "「--\\x07」"},
        // Options named as typed.
        UsageCase{{"--help=x"}, "オプション --help には値を指定できません（「--help=x」"},
        UsageCase{{"--d", "x"},
                  "オプション --d はどれのことか決まりません（--dry-run, --describe）"},
        UsageCase{{"--lis=x", "a"}, "オプション --lis（--list） には値を指定できません"},
        UsageCase{{"-qx", "--list", "a"}, "「-x」というオプションはありません"},
        UsageCase{{"--list", "a", "--ini"}, "オプション --ini には値を指定してください"},
        UsageCase{{"-s", "1,#", "--cut-head", "1", "a"}, "--cut-head は edit-lines と一緒にだけ"},
        UsageCase{{"--list", "-n", "a"}, "-n は replace などの処理, -s, -c のどれかと一緒にだけ"},
        UsageCase{{"--color", "yes", "-s", "1,#", "a"},
                  "--color には auto, always, never のどれか"},
        // Named operations.
        UsageCase{{"frobnicate", "a"}, "処理を指定してください（replace, crlf,"},
        UsageCase{{"replace", "a"}, "replace には FROM と TO を指定してください"},
        UsageCase{{"replace", "--from-tab"}, "replace には TO を指定してください"},
        UsageCase{{"replace", "--to-cr", "--to-lf", "a", "b"},
                  "--to-tab, --to-cr, --to-lf, --to-crlf はどれか一つだけ"},
        UsageCase{{"range", "S"}, "range には START と END を"},
        UsageCase{{"lines"}, "lines には WORD を指定してください"},
        UsageCase{{"lines", "a", "b", "c", "d", "--", "x"}, "WORD を 3 個までしか"},
        UsageCase{{"lines", "--all", "--any", "a", "x"}, "--all, --any はどれか一つだけ"},
        UsageCase{{"combo"}, "combo には COMBO!! ファイルを指定してください"},
        UsageCase{{"edit-lines", "x"}, "edit-lines には --cut-head, --cut-tail, --insert"},
        UsageCase{{"edit-lines", "--cut-head", "1", "--cut-tail", "1", "x"},
                  "一緒に指定できません"},
        UsageCase{{"edit-lines", "--insert", "a", "--spaces", "1", "x"},
                  "--insert, --spaces, --number はどれか一つだけ"},
        UsageCase{{"edit-lines", "--cut-head", "-1", "x"},
                  "--cut-head には 0 から 32767 までの整数"},
        UsageCase{{"edit-lines", "--spaces", "32768", "x"}, "--spaces には 0 から 32767"},
        UsageCase{{"edit-lines", "--number", "1,,2", "x"}, "START[,STEP[,WIDTH]] の形で"},
        UsageCase{{"edit-lines", "--number", "1,1,0", "x"}, "WIDTH は 1 以上"},
        UsageCase{{"edit-lines", "--number", "100,1,2", "x"}, "WIDTH が START の桁数より小さく"},
        UsageCase{{"delete-blanks", "x"}, "delete-blanks には --empty-lines, --blank-lines"},
        UsageCase{{"--describe", "replace", "a", "b", "x.txt"},
                  "--describe には PATH を指定できません"},
        UsageCase{{"combo", "a.cmb", "-"}, "-（標準入力）は -s か一つのステップの処理"},
        UsageCase{{"crlf", "--files0-from", "list", "a"},
                  "--files0-from と一緒には PATH を指定できません"}));

// Which operands are the operation's arguments and which its PATHs.
struct OperandCase {
  std::vector<std::string> args;
  Command command;
  std::vector<std::string> arguments;  // the texts or files the operation took
  std::vector<std::string> paths;
};
void PrintTo(const OperandCase& c, std::ostream* os) {
  for (const std::string& a : c.args) *os << a << " ";
}

std::vector<std::string> ArgumentsOf(const Request& r) {
  if (!r.page) return r.comboFiles;
  const ModeSettings& s = r.page->settings;
  std::vector<std::string> texts;
  for (const std::string* t : {&s.TrimChr, &s.ChangeChr, &s.StartChr, &s.EndChr, &s.SrcChr0,
                               &s.SrcChr1, &s.SrcChr2, &s.ADDText}) {
    if (!t->empty()) texts.push_back(*t);
  }
  return texts;
}

class CliOperands : public ::testing::TestWithParam<OperandCase> {};

TEST_P(CliOperands, SplitIntoArgumentsAndPaths) {
  const ParseOutcome p = Parse(GetParam().args);
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.request.command, GetParam().command);
  EXPECT_EQ(ArgumentsOf(p.request), GetParam().arguments);
  EXPECT_EQ(p.request.paths, GetParam().paths);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliOperands,
    ::testing::Values(
        OperandCase{
            {"replace", "a", "b", "x", "-q", "y"}, Command::RunStep, {"a", "b"}, {"x", "y"}},
        OperandCase{
            {"-n", "replace", "--", "-a", "-b", "-x"}, Command::RunStep, {"-a", "-b"}, {"-x"}},
        OperandCase{
            {"replace", "a", "b", "x", "--", "-y"}, Command::RunStep, {"a", "b"}, {"x", "-y"}},
        OperandCase{{"replace", "--to-crlf", "a", "x"}, Command::RunStep, {"a"}, {"x"}},
        OperandCase{{"crlf", "x", "--", "-y"}, Command::RunStep, {}, {"x", "-y"}},
        OperandCase{{"lines", "a", "x", "y"}, Command::RunStep, {"a"}, {"x", "y"}},
        OperandCase{{"lines", "a", "b", "--", "x"}, Command::RunStep, {"a", "b"}, {"x"}},
        OperandCase{{"lines", "--", "-a", "x"}, Command::RunStep, {"-a"}, {"x"}},
        OperandCase{{"edit-lines", "--insert", "-", "-"}, Command::RunStep, {"-"}, {"-"}},
        OperandCase{{"combo", "s.cmb", "x"}, Command::RunCombo, {"s.cmb"}, {"x"}},
        OperandCase{{"combo", "s.cmb", "t.cmb", "--", "x", "y"},
                    Command::RunCombo,
                    {"s.cmb", "t.cmb"},
                    {"x", "y"}},
        OperandCase{{"--describe", "range", "S", "E"}, Command::Describe, {"S", "E"}, {}},
        OperandCase{
            {"--describe", "combo", "s.cmb", "t.cmb"}, Command::ShowCombo, {"s.cmb", "t.cmb"}, {}},
        // Without an operation at the head, every operand is a PATH.
        OperandCase{{"-s", "1,#", "replace", "a"}, Command::RunStep, {}, {"replace", "a"}},
        OperandCase{{"--list", "combo"}, Command::List, {}, {"combo"}}));

// The options of every run become settings values, in the order given; an
// operation tells case apart unless -i comes.
TEST(CliCommandLine, RunOptionsBecomeSettingsValues) {
  const ParseOutcome p = Parse({"lines", "x", "-i", "--include=*.txt", "--inc", "*.csv",
                                "--no-backup", "--backup-suffix", ".old", "--enc", "auto",
                                "--line-numbers", "--no-header", "-oUpdateNoFile=0", "y"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.request.optionValues,
            (std::vector<OptionValue>{{"CompMode", "1", "CompMode"},
                                      {"CompMode", "0", "-i"},
                                      {"SelSts", "*.txt", "--include"},
                                      {"SelSts", "*.txt;*.csv", "--inc"},
                                      {"BkupEdit", "0", "--no-backup"},
                                      {"LstChrBk", ".old", "--backup-suffix"},
                                      {"CodePage", "auto", "--enc"},
                                      {"AddLineNo", "1", "--line-numbers"},
                                      {"SelAddSts", "1", "--no-header"},
                                      {"UpdateNoFile", "0", "UpdateNoFile"}}));
  EXPECT_EQ(p.request.paths, std::vector<std::string>{"y"});
}

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

struct ShownCase {
  std::vector<std::string> given;
  std::string cwd;
  std::string text;  // a full path, or a message naming full paths
  std::string shown;
};
void PrintTo(const ShownCase& c, std::ostream* os) {
  *os << c.text;
}

class CliPathsAsGiven : public ::testing::TestWithParam<ShownCase> {};

TEST_P(CliPathsAsGiven, NameFilesTheWayTheirPathWasTyped) {
  const ShownCase& c = GetParam();
  const PathDisplay display(c.given, c.cwd);
  EXPECT_EQ(display.text(c.text), c.shown);
  if (c.text.front() == '/') {
    EXPECT_EQ(display.path(c.text), c.shown);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliPathsAsGiven,
    ::testing::Values(ShownCase{{"notes/"}, "/w", "/w/notes/a.txt", "notes/a.txt"},
                      ShownCase{{"notes"}, "/w", "/w/notes/sub/a.txt", "notes/sub/a.txt"},
                      ShownCase{{"."}, "/w", "/w/a.txt", "./a.txt"},
                      ShownCase{{"./x//"}, "/w", "/w/x/a.txt", "./x//a.txt"},
                      ShownCase{{"a.txt"}, "/w", "/w/a.txt_BK", "a.txt_BK"},
                      ShownCase{{"../x/a.txt"}, "/w/y", "/w/y/../x/a.txt", "../x/a.txt"},
                      ShownCase{{"/srv/"}, "/w", "/srv/a.txt", "/srv/a.txt"},
                      ShownCase{{"notes/"}, "/w", "/w/other/a.txt", "/w/other/a.txt"},
                      ShownCase{
                          {".", "sub/"}, "/w", "/w/sub/a.txt", "sub/a.txt"},  // the nearest folder
                      ShownCase{{"-", "a.txt"}, "/w", "/w/a.txt", "a.txt"},
                      // In messages, only where a path begins.
                      ShownCase{{"notes/"},
                                "/w",
                                "[ /w/notes/a.txt ]\r[ /w/notes/b.txt]",
                                "[ notes/a.txt ]\r[ notes/b.txt]"},
                      ShownCase{{"a.txt"}, "/w", "「/w/a.txt」, （/w/b）", "「a.txt」, （b）"},
                      ShownCase{{"a b.txt"}, "/w", "--- \"/w/a b.txt\"\n", "--- \"a b.txt\"\n"},
                      ShownCase{{"w/"}, "/x", "/x/w/a /y/x/w/b", "w/a /y/x/w/b"}));

// The one table: every option and operation has a name of its own, and --help,
// the manual page and the completion all name each of them.
TEST(CliOptionTable, EveryNameIsUniqueAndShownEverywhere) {
  const std::string help = HelpText();
  const std::string manual = ManualPage("@SYNOPSIS@\n@OPERATIONS@\n@OPTIONS@\n@EXAMPLES@\n");
  const std::string completion = BashCompletion();
  std::set<std::string> names;
  for (const OptionRow& row : Options()) {
    const std::string name = "--" + std::string(row.longName);
    EXPECT_TRUE(names.insert(name).second) << name;
    if (row.shortName != '\0') {
      EXPECT_TRUE(names.insert(std::string("-") + row.shortName).second) << row.shortName;
    }
    EXPECT_NE(help.find(name), std::string::npos) << name;
    std::string roffName;
    for (char c : name) roffName += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(manual.find(roffName), std::string::npos) << name;
    EXPECT_NE(completion.find(name), std::string::npos) << name;
  }
  for (const OperationRow& op : Operations()) {
    EXPECT_TRUE(names.insert(std::string(op.name)).second) << op.name;
    EXPECT_NE(help.find("\n  " + std::string(op.name) + " "), std::string::npos) << op.name;
    EXPECT_NE(completion.find(std::string(op.name) + ")"), std::string::npos) << op.name;
  }
  EXPECT_EQ(manual.find('@'), std::string::npos) << "a mark left";
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
    EXPECT_FALSE(SetRunOption(o, {key, value, key}, error)) << key;
    EXPECT_NE(error.find(key == std::string("CodePage") ? value : key), std::string::npos) << error;
  }
  RunOptions o;
  std::string error;
  EXPECT_FALSE(SetRunOption(o, {"LstChr", "\x1b[2J", "LstChr"}, error));
  EXPECT_NE(error.find("「\\x1B[2J」"), std::string::npos) << error;  // never sent to the terminal
}

}  // namespace
}  // namespace kadrel::cli
