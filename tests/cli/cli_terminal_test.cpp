// kadrel-cli on a terminal: where the progress line is drawn, that it never runs
// into what standard output shows on the same terminal, and the diff's colours.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "cli_fixture.h"

namespace kadrel::test {
namespace {

// A pseudo-terminal: its other end reads what the program draws on it.
class Terminal {
 public:
  Terminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0)
      slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
  }
  ~Terminal() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }
  bool ok() const { return slave_ >= 0; }
  int slave() const { return slave_; }

  // Everything drawn, once the program has ended and the slave end is closed here.
  std::string drawn() {
    ::close(slave_);
    slave_ = -1;
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(master_, buffer, sizeof buffer)) != 0;) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;  // EIO: nothing more
      text.append(buffer, static_cast<size_t>(n));
    }
    return text;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
};

enum class Output { File, Pipe, SameTerminal };

struct TerminalCase {
  std::string name;
  std::vector<std::string> args;
  Output output;
  bool progress;  // the progress line is drawn
  bool coloured;  // the diff on the terminal is coloured
};
void PrintTo(const TerminalCase& c, std::ostream* os) {
  *os << c.name;
}

class CliTerminal : public CliTest, public ::testing::WithParamInterface<TerminalCase> {};

TEST_P(CliTerminal, DrawsProgressOnlyWhereItIsSeenAlone) {
  const TerminalCase& c = GetParam();
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) make(name, "foo\r\n");
  WriteFile(work.file("in"), "foo\r\n");
  Terminal terminal;
  ASSERT_TRUE(terminal.ok());
  int pipeEnds[2] = {-1, -1};
  int out = -1;
  if (c.output == Output::Pipe) {
    ASSERT_EQ(::pipe(pipeEnds), 0);
    out = pipeEnds[1];
  } else if (c.output == Output::SameTerminal) {
    out = terminal.slave();
  }
  std::vector<std::string> args = {"--ini", iniPath()};
  args.insert(args.end(), c.args.begin(), c.args.end());
  ::unsetenv("NO_COLOR");
  ::setenv("TERM", "xterm", 1);
  CliProcess process(args, files(), work.path(), work.file("in"), terminal.slave(), out);
  if (pipeEnds[1] >= 0) ::close(pipeEnds[1]);
  std::string piped;
  char buffer[4096];
  for (ssize_t n; pipeEnds[0] >= 0 && (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    piped.append(buffer, static_cast<size_t>(n));
  if (pipeEnds[0] >= 0) ::close(pipeEnds[0]);
  const CliResult r = process.wait();
  const std::string drawn = terminal.drawn();
  EXPECT_EQ(r.status, 0) << drawn;

  EXPECT_EQ(drawn.find("FILE ( 3 / 3 )") != std::string::npos, c.progress) << drawn;
  // A progress line is cleared before anything else is written after it.
  for (size_t at = drawn.find(" )"); at != std::string::npos; at = drawn.find(" )", at + 1)) {
    EXPECT_EQ(drawn.compare(at + 2, 4, "\r\x1b[K"), 0) << drawn;
  }
  EXPECT_EQ(drawn.find("\x1b[31m-foo") != std::string::npos, c.coloured) << drawn;
  if (c.output == Output::Pipe) {
    EXPECT_EQ(piped.find('\x1b'), std::string::npos) << piped;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, CliTerminal,
    ::testing::Values(
        TerminalCase{
            "RunWithOutputToAFile", {"replace", "foo", "bar", "."}, Output::File, true, false},
        TerminalCase{"DiffToTheSameTerminal",
                     {"-n", "replace", "foo", "bar", "."},
                     Output::SameTerminal,
                     true,
                     true},
        TerminalCase{"DiffWithoutColour",
                     {"-n", "--color=never", "replace", "foo", "bar", "."},
                     Output::SameTerminal,
                     true,
                     false},
        TerminalCase{
            "DiffIntoAPipe", {"-n", "replace", "foo", "bar", "."}, Output::Pipe, false, false},
        TerminalCase{"Quiet", {"-q", "replace", "foo", "bar", "."}, Output::File, false, false},
        TerminalCase{
            "StandardInput", {"replace", "foo", "bar", "-"}, Output::SameTerminal, false, false}));

}  // namespace
}  // namespace kadrel::test
