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

TEST_F(CliTest, AutoReadsAFolderOfMixedCodePagesInOneRun) {
  // 日本語です in CP932, EUC-JP, UTF-8, UTF-8 with a BOM, and 日本 in UTF-16 (as
  // Windows editors save "Unicode"); 日本 becomes 和 in each.
  const std::string cp932 = make("mixed/1.txt", "\x93\xfa\x96\x7b\x8c\xea\x82\xc5\x82\xb7\r\n");
  const std::string euc = make("mixed/2.txt", "\xc6\xfc\xcb\xdc\xb8\xec\xa4\xc7\xa4\xb9\r\n");
  const std::string utf8 = make("mixed/3.txt", "日本語です\r\n");
  const std::string bom = make("mixed/4.txt", "\xef\xbb\xbf日本語です\r\n");
  const std::string ascii = make("mixed/5.txt", "abc\r\n");
  const std::string utf16 = make("mixed/6.txt", std::string("\xff\xfe\xe5\x65\x2c\x67", 6));
  CliResult r = RunCli({"--ini", iniPath(), "-s", "0,0,日本,0,和,#", "-o", "CodePage=auto", "-o",
                        "BkupEdit=0", "mixed"},
                       files(), work.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(cp932), "\x98\x61\x8c\xea\x82\xc5\x82\xb7\r\n");
  EXPECT_EQ(ReadFile(euc), "\xcf\xc2\xb8\xec\xa4\xc7\xa4\xb9\r\n");
  EXPECT_EQ(ReadFile(utf8), "和語です\r\n");
  EXPECT_EQ(ReadFile(bom), "\xef\xbb\xbf和語です\r\n");
  EXPECT_EQ(ReadFile(ascii), "abc\r\n");
  EXPECT_EQ(ReadFile(utf16), std::string("\xff\xfe\x8c\x54\r\0\n\0", 8));
  EXPECT_EQ(r.err,
            "mixed/1.txt: 文字コード CP932\nmixed/2.txt: 文字コード EUC-JP\n"
            "mixed/3.txt: 文字コード UTF-8\nmixed/4.txt: 文字コード UTF-8 (BOM)\n"
            "mixed/5.txt: 文字コード ASCII\nmixed/6.txt: 文字コード UTF-16LE\n"
            "6 ファイル: 書き換え 6\n");

  // -q names no code page; text put at the head of a BOM file goes after the mark.
  r = cli({"-s", "2,0,0,1,1,0,X,0,0,#", "-o", "CodePage=auto", "-o", "BkupEdit=0", bom});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile(bom), "\xef\xbb\xbfX和語です\r\n");
}

TEST_F(CliTest, AutoSkipsAFileWhoseCodePageCannotHoldTheStepText) {
  const std::string cp932 = make("a.txt", "\x93\xfa\x96\x7b\r\n");  // 日本 in CP932
  const std::string utf8 = make("b.txt", "日本\r\n");
  CliResult r =
      cli({"-s", "0,0,日本,0,😀,#", "-o", "CodePage=auto", "-o", "BkupEdit=0", "a.txt", "b.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "[Kadrel] CP932 で書き込めない文字があります [ 😀 (U+1F600) ]\n[ a.txt ]\n"
            "処理を飛ばします\n");
  EXPECT_EQ(ReadFile(cp932), "\x93\xfa\x96\x7b\r\n");
  EXPECT_FALSE(FileExists(cp932 + "_BK"));
  EXPECT_EQ(ReadFile(utf8), "😀\r\n");
}

TEST_F(CliTest, AutoJointResultTakesTheCodePageOfItsFirstTarget) {
  make("a.txt", "\x93\xfa\x96\x7b\r\n");          // 日本 in CP932
  make("b.txt", "\xcb\xdc\xa4\xc7\xa4\xb9\r\n");  // 本です in EUC-JP
  CliResult r = cli({"-s", "4,本,True,,False,,#", "-o", "CodePage=auto", "-o", "SelFile=1", "-o",
                     "SelAddSts=1", "a.txt", "b.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(at("a.txt_SEL")), "\x93\xfa\x96\x7b\r\n\x96\x7b\x82\xc5\x82\xb7\r\n");
}

TEST_F(CliTest, StandardInputToStandardOutput) {
  struct Row {
    const char* what;
    std::vector<std::string> args;
    std::string input, out;
    int status;
  };
  const Row rows[] = {
      {"rewriting step", {"-s", "0,0,foo,0,bar,#"}, "a foo\r\nfoo\r", "a bar\r\nbar\r\n", 0},
      {"extraction step: the result file's lines",
       {"-s", "4,ERR,True,,False,,#", "-o", "SelAddSts=1"},
       "ok\r\nERR 1\r\nok\r\nERR 2\r\n",
       "ERR 1\r\nERR 2\r\n",
       0},
      {"extraction header names the input -",
       {"-s", "3,B,B,#", "-o", "CodePage=UTF-8"},
       "a\r\nB\r\n",
       "対象ファイル　　　　 [-]\r\n",
       0},
      {"skipped for a bare LF: the text as it is", {"-s", "0,0,a,0,b,#"}, "a\nb\n", "a\nb\n", 1},
      {"skipped extraction writes nothing", {"-s", "3,a,b,#"}, "a\nb\n", "", 1},
      {"line-ending conversion takes bare LF", {"-s", "1,#"}, "a\nb", "a\r\nb\r\n", 0},
      {"auto: CP932 in, CP932 out",
       {"-s", "0,0,本,0,x,#", "-o", "CodePage=auto"},
       "\x93\xfa\x96\x7b\r\n",
       "\x93\xfax\r\n",
       0},
      {"auto: the BOM stays first",
       {"-s", "2,0,0,1,1,0,X,0,0,#", "-o", "CodePage=auto"},
       "\xef\xbb\xbf"
       "abc\r\n",
       "\xef\xbb\xbfXabc\r\n",
       0},
      {"UTF-8: the BOM stays first",
       {"-s", "2,0,1,0,0,0,,0,0,#", "-o", "CodePage=UTF-8"},
       "\xef\xbb\xbf"
       "abc\r\n",
       "\xef\xbb\xbf"
       "bc\r\n",
       0},
      // What a rewriting step of a file would skip goes through as it is.
      {"binary: the text as it is",
       {"-s", "0,0,a,0,b,#"},
       std::string("a\0a\r\n", 5),
       std::string("a\0a\r\n", 5),
       1},
      {"code page not settled: the text as it is",
       {"-s", "0,0,a,0,b,#"},
       "\xbe\xda\xb8\xc0 a\r\n",  // ｾﾚｸﾀ in CP932, 証言 in EUC-JP
       "\xbe\xda\xb8\xc0 a\r\n",
       1},
      {"binary extraction: read as text",
       {"-s", "4,a,True,,False,,#", "-o", "SelAddSts=1"},
       std::string("a\0a\r\nb\r\n", 8),
       std::string("a\0a\r\n", 5),
       0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    WriteFile(work.file("stdin"), row.input);
    std::vector<std::string> args = {"--ini", iniPath(), "-q"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    args.push_back("-");
    const CliResult r = RunCli(args, files(), work.path(), work.file("stdin"));
    EXPECT_EQ(r.status, row.status) << r.err;
    if (row.out.rfind("対象", 0) == 0) {
      EXPECT_EQ(r.out.substr(0, row.out.size()), row.out);
    } else {
      EXPECT_EQ(r.out, row.out);
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(files()));  // no backup, no result file

  for (const auto& args :
       {std::vector<std::string>{"-s", "1,#", "-", "a.txt"},
        std::vector<std::string>{"-c", "x.cmb", "-"}, std::vector<std::string>{"--list", "-"}}) {
    const CliResult r = cli(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("と一緒に、ただ一つの PATH としてだけ指定できます"), std::string::npos);
  }
}

TEST_F(CliTest, SkippedFileShowsItsBoxAndExitsOne) {
  const std::string unix = make("unix.txt", "a\nb\n");
  const std::string dos = make("dos.txt", "a\r\n");
  CliResult r = cli({"-s", "0,0,a,0,b,#", "-o", "BkupEdit=0", "unix.txt", "dos.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "[Kadrel] ＵＮＩＸ形式の改行コードを検出しました。処理を飛ばします。\n[ unix.txt ]\n");
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
    r = cli({"-o", "CodePage=CP932", "-s", line, "a.txt"});
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
  // Paths as given: the folder sub/ was also named as such.
  EXPECT_EQ(r.out, "./A.txt\n./b.txt\n./d.csv\nsub/c.txt\nsub/c.txt\n");
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
  EXPECT_EQ(r.out, std::string("./plain.txt\0./two\nlines.txt\0", 28));
}

TEST_F(CliTest, ListNamesAMissingPathInABox) {
  make("a.txt", "");
  const CliResult r = cli({"--list", "a.txt", "nosuch.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "a.txt\n");
  EXPECT_EQ(r.err.rfind("[File Open Error] ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("\n[ nosuch.txt]\n"), std::string::npos) << r.err;
}

TEST_F(CliTest, PathsFromANulSeparatedList) {
  make("a.txt", "a\nb\n");
  make("sub/b.txt", "c\n");
  make("-", "d\n");  // a file named "-": in a list, never standard input
  make("other.txt", "e\n");
  const std::string names = std::string("a.txt\0sub\0-", 11);
  WriteFile(work.file("list"), names);
  struct Row {
    const char* what;
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string out;
    std::string error;  // a part of standard error
  };
  const Row rows[] = {
      {"from a file",
       {"--list", "--files0-from", work.file("list")},
       "",
       0,
       "a.txt\nsub/b.txt\n-\n",
       ""},
      {"from standard input, the last name unended",
       {"--list", "--files0-from=-"},
       names,
       0,
       "a.txt\nsub/b.txt\n-\n",
       ""},
      {"an empty name",
       {"--list", "--files0-from=-"},
       std::string("a.txt\0\0b", 8),
       2,
       "",
       "--files0-from: 標準入力 の 2 番目の名前が空です"},
      {"a list that is not there",
       {"--list", "--files0-from", "nolist"},
       "",
       2,
       "",
       "--files0-from: 「nolist」 を開けません"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    WriteFile(work.file("stdin"), row.input);
    std::vector<std::string> args = {"--ini", iniPath(), "-q"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const CliResult r = RunCli(args, files(), work.path(), work.file("stdin"));
    EXPECT_EQ(r.status, row.status) << r.err;
    EXPECT_EQ(r.out, row.out);
    EXPECT_NE(r.err.find(row.error), std::string::npos) << r.err;
  }
  // A run over the list: every file listed is converted, the others are not.
  const CliResult r = cli({"crlf", "--no-backup", "--files0-from", work.file("list")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(at("a.txt")), "a\r\nb\r\n");
  EXPECT_EQ(ReadFile(at("sub/b.txt")), "c\r\n");
  EXPECT_EQ(ReadFile(at("-")), "d\r\n");
  EXPECT_EQ(ReadFile(at("other.txt")), "e\n");
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
      "[Kadrel] ＵＮＩＸ形式の改行コードを検出しました。処理を飛ばします。\n[ data/u.txt ]\n";
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
