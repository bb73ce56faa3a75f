// The named operations end to end: each row runs an operation and the step line
// (or COMBO!! file) it stands for over two copies of the same folder, which must
// come out byte for byte the same, with the same boxes and exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "cli_fixture.h"

namespace kadrel::test {
namespace {

namespace fs = std::filesystem;

struct OperationCase {
  std::string name;
  std::vector<std::string> operation;  // the named operation and its options
  std::vector<std::string> stepLine;   // the same as -s or -c and -o options
};
void PrintTo(const OperationCase& c, std::ostream* os) {
  *os << c.name;
}

// Every file under a folder, by its path below it.
std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), folder).string()] = ReadFile(entry.path());
  }
  return files;
}

class CliOperations : public CliTest, public ::testing::WithParamInterface<OperationCase> {
 protected:
  // The same files in folder: mixed case, a TAB, blanks, keywords, a CSV file, a
  // UNIX file, and a COMBO!! file beside them.
  void fill(const std::string& folder) {
    make(folder + "/a.txt",
         "Foo foo\tbar\r\n  \r\n\r\nBEGIN x\r\n 　two  words　 \r\nEND\r\nERROR a b\r\nwarn C\r\n");
    make(folder + "/b.csv", "foo,bar\r\nERROR,c\r\n");
    make(folder + "/u.txt", "foo\nbar\n");
    make(folder + "/sub/日本.txt", "\x93\xfa\x96\x7b foo\r\n");  // 日本 in CP932
    make(folder + "/steps.cmb", "1,#\r\n0,0,foo,0,qux,#\r\n5,1,0,1,0,0,#\r\n");
  }

  // kadrel-cli args . in folder.
  CliResult runIn(const std::string& folder, std::vector<std::string> args) {
    args.insert(args.begin(), {"--ini", iniPath()});
    args.push_back(".");
    return RunCli(args, at(folder), work.path());
  }
};

TEST_P(CliOperations, GiveTheBytesOfTheirStep) {
  const OperationCase& c = GetParam();
  fill("t");
  const std::map<std::string, std::string> before = Tree(at("t"));
  const CliResult named = runIn("t", c.operation);
  const std::map<std::string, std::string> afterNamed = Tree(at("t"));
  fs::remove_all(at("t"));
  fill("t");  // the same paths, which result files name
  const CliResult line = runIn("t", c.stepLine);
  EXPECT_EQ(named.status, line.status) << named.err;
  EXPECT_EQ(named.err, line.err);
  EXPECT_EQ(named.out, line.out);
  EXPECT_EQ(afterNamed, Tree(at("t")));
  EXPECT_NE(afterNamed, before) << "nothing happened";
}

INSTANTIATE_TEST_SUITE_P(
    Operations, CliOperations,
    ::testing::Values(
        OperationCase{"ReplaceTellsCaseApart",
                      {"replace", "foo", "qux"},
                      {"-s", "0,0,foo,0,qux,#", "-o", "CompMode=1"}},
        OperationCase{"ReplaceIgnoringCase",
                      {"replace", "-i", "foo", "qux"},
                      {"-s", "0,0,foo,0,qux,#", "-o", "CompMode=0"}},
        OperationCase{
            "ReplaceTabWithLineBreak", {"replace", "--from-tab", "--to-crlf"}, {"-s", "0,1,,4,,#"}},
        OperationCase{
            "ReplaceWithLf", {"replace", "--to-lf", "O"}, {"-s", "0,0,O,3,,#", "-o", "CompMode=1"}},
        OperationCase{
            "ReplaceTabWithText", {"replace", "--from-tab", "<T>"}, {"-s", "0,1,,0,<T>,#"}},
        OperationCase{"ConvertLineEnds", {"crlf"}, {"-s", "1,#"}},
        OperationCase{"CutHeadInsertText",
                      {"edit-lines", "--cut-head", "2", "--insert", "> "},
                      {"-s", "2,0,2,1,1,0,> ,0,0,#"}},
        OperationCase{"SpacesAtTheEnd",
                      {"edit-lines", "--cut-tail", "0", "--spaces", "3"},
                      {"-s", "2,1,0,1,0,3,,0,0,#"}},
        OperationCase{
            "CutTailOnly", {"edit-lines", "--cut-tail", "1"}, {"-s", "2,1,1,0,0,0,,0,0,#"}},
        OperationCase{"NumberWithStepAndWidth",
                      {"edit-lines", "--number", "8,2,3"},
                      {"-s", "2,0,0,2,0,0,,008,2,#"}},
        OperationCase{"NumberAsWritten",
                      {"edit-lines", "--cut-head", "1", "--number", "09"},
                      {"-s", "2,0,1,2,0,0,,09,1,#"}},
        OperationCase{"RangeWithLineNumbers",
                      {"range", "--line-numbers", "BEGIN", "END"},
                      {"-s", "3,BEGIN,END,#", "-o", "AddLineNo=1", "-o", "CompMode=1"}},
        OperationCase{
            "OneWord", {"lines", "ERROR"}, {"-s", "4,ERROR,True,,True,,#", "-o", "CompMode=1"}},
        OperationCase{"AnyOfThreeWordsNoHeader",
                      {"lines", "--any", "--no-header", "-i", "error", "WARN", "two", "--"},
                      {"-s", "4,error,False,WARN,False,two,#", "-o", "SelAddSts=1"}},
        OperationCase{"AllOfTwoWords",
                      {"lines", "--all", "ERROR", "b", "--"},
                      {"-s", "4,ERROR,True,b,True,,#", "-o", "CompMode=1"}},
        OperationCase{"BlankLinesAndTrailingSpaces",
                      {"delete-blanks", "--blank-lines", "--trailing"},
                      {"-s", "5,1,1,0,0,1,#"}},
        OperationCase{"EmptyLinesAndEverySpace",
                      {"delete-blanks", "--empty-lines", "--all-spaces", "--leading"},
                      {"-s", "5,1,0,1,1,0,#"}},
        OperationCase{"Combo", {"combo", "steps.cmb"}, {"-c", "steps.cmb", "-o", "CompMode=1"}},
        OperationCase{
            "RunOptions",
            {"replace", "--no-backup", "--include", "*.csv", "--include", "*.txt", "foo", "X"},
            {"-s", "0,0,foo,0,X,#", "-o", "BkupEdit=0", "-o", "SelSts=*.csv;*.txt", "-o",
             "CompMode=1"}},
        OperationCase{"BackupSuffixAndCodePage",
                      {"replace", "--backup-suffix", ".orig", "--encoding", "UTF-8", "foo", "日本"},
                      {"-s", "0,0,foo,0,日本,#", "-o", "LstChrBk=.orig", "-o", "CodePage=UTF-8",
                       "-o", "CompMode=1"}}));

// What no step line can say: texts holding commas, and arguments that begin with "-".
TEST_F(CliTest, OperationTextsMayHoldAnything) {
  const std::string a = make("a.txt", "x,y -n z\r\n");
  CliResult r = cli({"replace", "--no-backup", "x,y", "1,2", "a.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(a), "1,2 -n z\r\n");
  r = cli({"replace", "--no-backup", "--", "-n", "-m", "a.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(a), "1,2 -m z\r\n");
  r = cli({"--describe", "edit-lines", "--insert", "a,b"});
  EXPECT_EQ(
      r.out,
      "行頭・行末文字列制御（付番・挿入・削除）　行頭 0桁 文字列置換え（挿入）  文字列 a,b\n");
}

TEST_F(CliTest, OperationReadsStandardInput) {
  WriteFile(work.file("in"), "ok\r\nERROR 1\r\n");
  const CliResult r = RunCli({"--ini", iniPath(), "lines", "--no-header", "ERROR", "-"}, files(),
                             work.path(), work.file("in"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "ERROR 1\r\n");
}

// A step the run refuses is refused as the window's START refuses it.
TEST_F(CliTest, OperationStepsAreCheckedAsTheWindowChecksThem) {
  make("a.txt", "abc\r\n");
  CliResult r = cli({"replace", "", "x", "a.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "[Kadrel] 置換前文字列が指定されていません\n");
  r = cli({"range", "[abc", "E", "a.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("「[」に対応する「]」がありません"), std::string::npos) << r.err;
  EXPECT_FALSE(FileExists(at("a.txt_BK")));
  EXPECT_FALSE(FileExists(at("a.txt_SEL")));
}

}  // namespace
}  // namespace kadrel::test
