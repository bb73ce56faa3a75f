// kadrel-cli end to end on real files: runs, listings, descriptions, exit statuses
// and the blocks its boxes leave on standard error.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_fixture.h"

namespace kadrel::test {
namespace {

namespace fs = std::filesystem;

struct ModeCase {
  std::string name;
  std::string line;
  std::string input;
  std::string target;  // the target afterwards
  std::string result;  // the extraction result file ("" when none is made)
};
void PrintTo(const ModeCase& c, std::ostream* os) {
  *os << c.name;
}

class CliEveryMode : public CliTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(CliEveryMode, RunsThroughStep) {
  const ModeCase& c = GetParam();
  const std::string target = make("t.txt", c.input);
  CliResult r = cli({"-s", c.line, "-o", "SelAddSts=1", "-o", "BkupEdit=0", "t.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile(target), c.target);
  EXPECT_FALSE(FileExists(at("t.txt_BK")));
  if (c.result.empty()) {
    EXPECT_FALSE(FileExists(at("t.txt_SEL")));
  } else {
    EXPECT_EQ(ReadFile(at("t.txt_SEL")), c.result);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CliEveryMode,
    ::testing::Values(
        ModeCase{"Replace", "0,0,foo,0,bar,#", "Foo x\r\nnone\r\n", "bar x\r\nnone\r\n", ""},
        ModeCase{"ReplaceTabByCrLf", "0,1,,4,,#", "a\tb\r\n", "a\r\nb\r\n", ""},
        ModeCase{"ConvertNewline", "1,#", "a\nb\n", "a\r\nb\r\n", ""},
        ModeCase{"NumberLineHeads", "2,0,0,2,0,0,,0001,1,#", "a\r\nb\r\n", "0001a\r\n0002b\r\n",
                 ""},
        ModeCase{"CutLineEnds", "2,1,2,0,0,0,,0,0,#", "abcdef\r\nab\r\n", "abcd\r\n\r\n", ""},
        ModeCase{"ExtractRange", "3,BEGIN,END,#", "x\r\nbegin 1\r\ny\r\nend\r\nz\r\n",
                 "x\r\nbegin 1\r\ny\r\nend\r\nz\r\n", "begin 1\r\ny\r\nend\r\n"},
        ModeCase{"ExtractMatching", "4,foo,True,bar,False,,#", "foo bar\r\nfoo\r\nbar\r\n",
                 "foo bar\r\nfoo\r\nbar\r\n", "foo bar\r\n"},
        ModeCase{"DeleteBlanks", "5,1,0,1,0,0,#", "  a\r\n\r\nb  \r\n", "a\r\nb  \r\n", ""}));

TEST_F(CliTest, BackupAndResultAffixesComeFromTheSettingsFile) {
  WriteFile(iniPath(), "[option]\r\nlstchrbk=.old\r\nBKUPEdit=\r\nLstChr=_out\r\n");
  const std::string target = make("a.txt", "abc\r\n");
  CliResult r = cli({"-s", "0,0,b,0,X,#", "a.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(target), "aXc\r\n");
  EXPECT_EQ(ReadFile(at("a.txt.old")), "abc\r\n");  // BkupEdit empty reads as 1

  r = cli({"-s", "3,a,c,#", "-o", "LstChr=", "a.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(FileExists(at("a.txt_SEL")));  // -o with an empty value: the default
  EXPECT_FALSE(FileExists(at("a.txt_out")));
}

TEST_F(CliTest, RefusedOptionValueRunsNothing) {
  const std::string target = make("a.txt", "abc\r\n");
  for (const char* value : {"BkupEdit=yes", "FstChrBk=../", "SelSts=*.*;*.txt"}) {
    CliResult r = cli({"-s", "0,0,b,0,X,#", "-o", value, "a.txt"});
    EXPECT_EQ(r.status, 2) << value;
    EXPECT_EQ(r.err.rfind("kadrel-cli: ", 0), 0u) << r.err;
  }
  EXPECT_EQ(ReadFile(target), "abc\r\n");
  EXPECT_FALSE(FileExists(at("a.txt_BK")));
  EXPECT_FALSE(FileExists(work.file("a.txt_BK")));
}

TEST_F(CliTest, CodePageOfTheFiles) {
  const std::string utf8 = make("u.txt", "日本語のテキスト\r\n");
  CliResult r = cli({"-s", "0,0,日本語,0,にほんご,#", "-o", "CodePage=UTF-8", "u.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(utf8), "にほんごのテキスト\r\n");

  const std::string sjis = make("s.txt", "\x93\xfa\x96\x7b\r\n");  // 日本 in CP932
  r = cli({"-s", "0,0,本,0,x,#", "s.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(sjis), "\x93\xfax\r\n");
}

TEST_F(CliTest, SkippedFileShowsItsBoxAndExitsOne) {
  const std::string unix = make("unix.txt", "a\nb\n");
  const std::string dos = make("dos.txt", "a\r\n");
  CliResult r = cli({"-s", "0,0,a,0,b,#", "-o", "BkupEdit=0", "unix.txt", "dos.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "[Kadrel] ＵＮＩＸ形式の改行コードを検出しました。処理を飛ばします。\n[ " +
                       unix + " ]\n");
  EXPECT_EQ(ReadFile(unix), "a\nb\n");
  EXPECT_EQ(ReadFile(dos), "b\r\n");
}

TEST_F(CliTest, NothingListedIsRefusedByStart) {
  make("a.csv", "x\r\n");
  for (const auto& paths : {std::vector<std::string>{}, std::vector<std::string>{"a.csv"}}) {
    std::vector<std::string> args{"-s", "1,#", "-o", "SelSts=*.txt"};
    args.insert(args.end(), paths.begin(), paths.end());
    CliResult r = cli(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "[Kadrel] ファイルを指定してください\n");
  }
}

TEST_F(CliTest, RefusedStepRunsNothing) {
  const std::string target = make("a.txt", "abc\r\n");
  CliResult r = cli({"-s", "3,BEGIN,END", "a.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "[Kadrel] 引数の数に誤まりが有ります  正 [ 2 ] 誤 [ 1 ]\n[ 3,BEGIN,END ]\n");

  // Two problems: Cancel stops at the first, OK shows both; neither runs.
  r = cli({"-s", "0,0,,9,x,#", "a.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "[Kadrel] 置換前文字列が指定されていません\n");
  r = cli({"-s", "0,0,,9,x,#", "--answer", "ok", "a.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "[Kadrel] 置換前文字列が指定されていません\n"
            "[Kadrel] 置換後TABｺｰﾄﾞ指定に誤まりがあります [ 9 ]\n");
  r = cli({"-s", "6,#", "a.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "[Kadrel] 処理区分に誤まりがあります [ 6 ]\n");
  // Step texts: characters the code page cannot hold, keywords, AND/OR fields.
  const std::pair<const char*, std::string> texts[] = {
      {"0,0,a,0,😀,#", "「置換後文字列」に CP932 で書き込めない文字があります [ 😀 (U+1F600) ]"},
      {"3,[abc,E,#",
       "「開始ｷｰﾜｰﾄﾞ文字列」の指定に誤まりがあります（「[」に対応する「]」がありません） "
       "[ [abc ]"},
      {"4,a,,b,True,,#", "AND/OR指定に誤まりがあります"},
  };
  for (const auto& [line, box] : texts) {
    r = cli({"-s", line, "a.txt"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "[Kadrel] " + box + "\n");
    EXPECT_FALSE(FileExists(at("a.txt_SEL")));
  }
  EXPECT_EQ(ReadFile(target), "abc\r\n");
  EXPECT_FALSE(FileExists(at("a.txt_BK")));
}

TEST_F(CliTest, RunLevelErrorEndsTheRunWithItsBox) {
  const std::string target = make("a.txt", "abc\r\n");
  // The number of spaces is not examined by validation, and does not convert.
  CliResult r = cli({"-s", "2,0,0,1,0,abc,,0,0,#", "a.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("[Kadrel] Kadrel処理中にエラーが発生しました\n( ", 0), 0u) << r.err;
  EXPECT_EQ(ReadFile(target), "abc\r\n");
}

TEST_F(CliTest, ListIsDepthFirstInNameOrderAndFiltered) {
  make("b.txt", "");
  make("A.txt", "");
  make("sub/c.txt", "");
  make("sub/c.txt_BK", "");
  make("d.csv", "");
  make(".hidden.txt", "");
  make("z.log", "");
  CliResult r = cli({"--list", "-o", "SelSts=*.txt;*.csv", ".", "z.log", "sub/c.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, at("A.txt") + "\n" + at("b.txt") + "\n" + at("d.csv") + "\n" + at("sub/c.txt") +
                       "\n" + at("sub/c.txt") + "\n");
  EXPECT_EQ(r.err, "");

  r = cli({"--list", "-o", "SelSts=*.doc", "sub"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
}

TEST_F(CliTest, ListWithNullEndsNamesWithNul) {
  make("two\nlines.txt", "x");
  make("plain.txt", "y");
  CliResult r = cli({"--list", "-0", "."});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, at("plain.txt") + std::string(1, '\0') + at("two\nlines.txt") + '\0');
}

TEST_F(CliTest, DescribeValidatesAsAComboStep) {
  CliResult r = cli({"--describe", "0,1,,4,,#"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "文字列置換　置換前文字列 TABｺｰﾄﾞ  置換後文字列 CrLfｺｰﾄﾞ\n");

  r = cli({"--describe", "2,0,3,2,0,0,,1,1,#"});
  EXPECT_EQ(
      r.out,
      "行頭・行末文字列制御（付番・挿入・削除）　行頭 3桁 付番置換え（挿入）  開始 1  刻み 1\n");

  r = cli({"--describe", "X,1,#"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "[Kadrel] 設定内容に誤まりがあります [ X,1,# ]\n");
}

TEST_F(CliTest, ShowComboPrintsTheComboText) {
  make("a.cmb", "#,Prepare,#\r\n1,#\r\n\r\nno commas\r\n3,BEGIN,END,#\r\n");
  make("b.cmb", "5,1,0,1,0,0,#\r\n");
  CliResult r = cli({"--show-combo", "a.cmb", "b.cmb"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "<< Prepare >>\n"
            "改行コード置換(UNIX形式→TEXT形式)　設定必要なし\n"
            "キーワード指定範囲抽出　開始Key BEGIN  終了Key END\n"
            "空白行・文字削除　空白行削除 LeftSP\n");

  make("comments.cmb", "#,only a heading,#\r\n");
  r = cli({"--show-combo", "comments.cmb", "missing.cmb"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "<< only a heading >>\n");
  EXPECT_EQ(r.err.rfind("[File Open Error] ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("\n[ missing.cmb]\n"), std::string::npos) << r.err;
}

TEST_F(CliTest, ComboRunOverAFolder) {
  make("steps.cmb", "#,Keep the block and rename,#\r\n3,BEGIN,END,#\r\n0,0,old,0,new,#\r\n");
  const std::string a = make("data/a.txt", "x\r\nBEGIN\r\nold one\r\nEND\r\ny\r\n");
  const std::string b = make("data/deep/b.txt", "BEGIN\r\nold\r\nold\r\nEND\r\n");
  const std::string unix = make("data/u.txt", "BEGIN\nold\nEND\n");
  CliResult r = cli({"-c", "steps.cmb", "data"});
  EXPECT_EQ(r.status, 1);  // u.txt: one UNIX box per step
  EXPECT_EQ(ReadFile(a), "BEGIN\r\nnew one\r\nEND\r\n");
  EXPECT_EQ(ReadFile(b), "BEGIN\r\nnew\r\nnew\r\nEND\r\n");
  EXPECT_EQ(ReadFile(unix), "BEGIN\nold\nEND\n");
  // Every file keeps the backup made before its first step, whatever BkupEdit says.
  EXPECT_EQ(ReadFile(a + "_BK"), "x\r\nBEGIN\r\nold one\r\nEND\r\ny\r\n");
  EXPECT_EQ(ReadFile(b + "_BK"), "BEGIN\r\nold\r\nold\r\nEND\r\n");
  EXPECT_FALSE(FileExists(a + "_SEL"));
  const std::string box =
      "[Kadrel] ＵＮＩＸ形式の改行コードを検出しました。処理を飛ばします。\n[ " + unix + " ]\n";
  EXPECT_EQ(r.err, box + box);
}

TEST_F(CliTest, ComboFilesLoadInOrderAndChain) {
  make("first.cmb", "1,#\r\n");
  make("second.cmb", "#,saved on Linux,#\n2,0,0,1,1,0,> ,0,0,#\n");
  const std::string t = make("t.txt", "a\nb\n");
  CliResult r = cli({"-c", "first.cmb", "-c", "second.cmb", "t.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(t), "> a\r\n> b\r\n");  // converted first, so the UNIX check passes
}

TEST_F(CliTest, ComboRunNeedsWholeStepFiles) {
  make("bad.cmb", "1,#\r\n0,0,,0,x,#\r\n0,0,a,0,b,#\r\n");
  const std::string t = make("t.txt", "a\r\n");

  CliResult r = cli({"-c", "bad.cmb", "t.txt"});  // Cancel stops loading: no run
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(ReadFile(t), "a\r\n");
  EXPECT_FALSE(FileExists(at("t.txt_BK")));

  r = cli({"-c", "bad.cmb", "-c", "missing.cmb", "--answer", "ok", "t.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(ReadFile(t), "a\r\n");

  r = cli({"-c", "bad.cmb", "--answer", "ok", "t.txt"});  // the bad line is left out
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(t), "b\r\n");

  make("empty.cmb", "#,nothing to do,#\r\n");
  r = cli({"-c", "empty.cmb", "t.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "[Kadrel] COMBO!!を指定してください\n");
}

TEST_F(CliTest, UsageAndSettingsErrors) {
  CliResult r = RunCli({"--list"}, files(), work.path());
  EXPECT_EQ(r.status, 2);
  r = cli({"--list", "-o", "Nope=1", "."});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Nope"), std::string::npos);
  r = RunCli({"--ini", work.file("none.ini"), "--list", "."}, files(), work.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("none.ini"), std::string::npos);
  r = RunCli({"--help"}, files(), work.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("kadrel-cli -s"), std::string::npos);
  r = RunCli({"--version"}, files(), work.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("kadrel-cli ", 0), 0u);
}

}  // namespace
}  // namespace kadrel::test
