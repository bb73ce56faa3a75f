// kadrel-cli --undo end to end: the exit status and the messages of an undo
// that gives every file back, one that leaves a file changed since, and one with
// nothing to take back; a dry run leaves the journal alone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

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

}  // namespace
}  // namespace kadrel::test
