// kadrel-cli --undo end to end: the exit status and the messages of an undo
// that gives every file back, one that leaves a file changed since, and one with
// nothing to take back; a dry run leaves the journal alone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "cli_fixture.h"

namespace kadrel::test {
namespace {

class CliUndo : public CliTest {
 public:
  using CliTest::at;
  using CliTest::cli;
  using CliTest::work;
};

TEST_F(CliUndo, TakesBackTheLastRun) {
  struct Case {
    std::string name;
    // After the run, before --undo: a descriptor to close after it, or -1.
    std::function<int(CliUndo&)> between;
    int status;
    std::string a, b;         // afterwards
    std::string errContains;  // in standard error
  } cases[] = {
      {"every file back", [](CliUndo&) { return -1; }, 0, "foo 1\r\n", "foo 2\r\n",
       "2 個のファイルを処理前の内容に戻しました。"},
      {"a dry run in between",
       [](CliUndo& t) {
         t.cli({"-n", "-s", "0,0,bar,0,baz,#", "."});
         return -1;
       },
       0, "foo 1\r\n", "foo 2\r\n", "2 個のファイルを処理前の内容に戻しました。"},
      {"a file changed since",
       [](CliUndo& t) {
         WriteFile(t.at("b.txt"), "mine\r\n");
         return -1;
       },
       1, "foo 1\r\n", "mine\r\n",
       "処理の後で変更されているため、次のファイルはそのままにしました。\n[ "},
      {"undone already",
       [](CliUndo& t) {
         EXPECT_EQ(t.cli({"--undo"}).status, 0);
         return -1;
       },
       2, "foo 1\r\n", "foo 2\r\n", "[Kadrel] 元に戻せる処理がありません。"},
      {"another run holds the journal",
       [](CliUndo& t) {
         const int fd = ::open(t.work.file("KadrelUndo").c_str(), O_RDONLY | O_DIRECTORY);
         EXPECT_EQ(::flock(fd, LOCK_EX), 0);
         return fd;
       },
       2, "bar 1\r\n", "bar 2\r\n", "ほかの Kadrel が処理中のため、元に戻せません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    make("a.txt", "foo 1\r\n");
    make("b.txt", "foo 2\r\n");
    ASSERT_EQ(cli({"-s", "0,0,foo,0,bar,#", "-o", "BkupEdit=0", "."}).status, 0);
    const int held = c.between(*this);
    const CliResult undo = RunCli({"--ini", iniPath(), "--undo"}, files(), work.path());
    if (held >= 0) ::close(held);
    EXPECT_EQ(undo.status, c.status) << undo.err;
    EXPECT_NE(undo.err.find(c.errContains), std::string::npos) << undo.err;
    EXPECT_EQ(ReadFile(at("a.txt")), c.a);
    EXPECT_EQ(ReadFile(at("b.txt")), c.b);
  }
}

// A run that keeps no journal removes the one before (nothing of the replaced
// files stays on the disk); a run that cannot take the journal says so.
TEST_F(CliUndo, ARunWithoutTheJournal) {
  const std::string notice =
      "ほかの Kadrel が元に戻す用の控えを使っているため、この処理は元に戻せません。";
  struct Case {
    std::string name;
    std::vector<std::string> options;  // of the second run
    bool journalHeld;                  // by another run during the second run
    int undoStatus;
    std::string a;  // after --undo
  } cases[] = {
      {"--no-undo", {"--no-undo"}, false, 2, "bar 1\r\n"},
      {"UndoJournal=0", {"-o", "UndoJournal=0"}, false, 2, "bar 1\r\n"},
      {"another run holds the journal", {}, true, 0, "foo 1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    make("a.txt", "foo 1\r\n");
    make("b.txt", "foo 2\r\n");
    ASSERT_EQ(cli({"-s", "0,0,foo,0,bar,#", "-o", "BkupEdit=0", "a.txt"}).status, 0);
    const int held = c.journalHeld ? ::open(work.file("KadrelUndo").c_str(), O_RDONLY) : -1;
    if (held >= 0) {
      ASSERT_EQ(::flock(held, LOCK_EX), 0);
    }
    std::vector<std::string> args = {"--ini",           iniPath(), "-s",
                                     "0,0,foo,0,bar,#", "-o",      "BkupEdit=0"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back("b.txt");
    const CliResult second = RunCli(args, files(), work.path());
    if (held >= 0) ::close(held);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.err.find(notice) != std::string::npos, c.journalHeld) << second.err;
    EXPECT_EQ(ReadFile(at("b.txt")), "bar 2\r\n");
    if (!c.journalHeld) {  // no previous content left in the journal
      for (const auto& entry : std::filesystem::directory_iterator(work.file("KadrelUndo")))
        ADD_FAILURE() << entry.path();
    }
    EXPECT_EQ(cli({"--undo"}).status, c.undoStatus);
    EXPECT_EQ(ReadFile(at("a.txt")), c.a);
    EXPECT_EQ(ReadFile(at("b.txt")), "bar 2\r\n");
  }
}

}  // namespace
}  // namespace kadrel::test
