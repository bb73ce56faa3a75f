// Interruptions during a run: SIGINT, SIGTERM, SIGHUP and a closed standard error
// end the run as a cancel does, and the file being rewritten keeps its previous
// content (or, had it been finished, its new one). The signal is sent once the
// new content of the first file is being written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "cli_fixture.h"

namespace kadrel::test {
namespace {

// A file long enough that its rewriting takes a noticeable time.
std::string LongText() {
  std::string line(100, 'a');
  line += "\r\n";
  std::string text;
  text.reserve(line.size() * 150000);
  for (int i = 0; i < 150000; ++i) text += line;
  return text;
}

std::string Replaced(std::string text, char from, char to) {
  for (char& c : text) {
    if (c == from) c = to;
  }
  return text;
}

// Waits until the run writes a new file in folder, at most a while.
bool AwaitNewFile(const std::string& folder) {
  for (int i = 0; i < 20000; ++i) {
    if (TemporariesIn(folder) > 0) return true;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return false;
}

struct SignalCase {
  int signal;
  const char* name;
};
void PrintTo(const SignalCase& c, std::ostream* os) {
  *os << c.name;
}

class CliSignals : public CliTest, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(CliSignals, InterruptedRewriteLeavesTheFileWhole) {
  const std::string before = LongText();
  const std::string target = make("long.txt", before);
  const std::string after = Replaced(before, 'a', 'b');

  CliProcess run({"--ini", iniPath(), "-q", "-s", "0,0,a,0,b,#", "-o", "BkupEdit=1", "long.txt"},
                 files(), work.path());
  ASSERT_TRUE(AwaitNewFile(files()));
  ::kill(run.pid(), GetParam().signal);
  CliResult r = run.wait();

  EXPECT_EQ(r.status, 130) << r.err;
  const std::string now = ReadFile(target);
  EXPECT_TRUE(now == before || now == after) << "the target holds " << now.size() << " bytes";
  if (FileExists(target + "_BK")) {
    EXPECT_EQ(ReadFile(target + "_BK"), before);
  }
  EXPECT_EQ(TemporariesIn(files()), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, CliSignals,
                         ::testing::Values(SignalCase{SIGINT, "SIGINT"},
                                           SignalCase{SIGTERM, "SIGTERM"},
                                           SignalCase{SIGHUP, "SIGHUP"}));

TEST_F(CliTest, InterruptedComboRunKeepsEveryFileWhole) {
  const std::string text = LongText();
  make("steps.cmb", "0,0,a,0,b,#\r\n0,0,b,0,c,#\r\n");
  std::vector<std::string> targets;
  for (int i = 0; i < 3; ++i) targets.push_back(make("f" + std::to_string(i) + ".txt", text));

  CliProcess run({"--ini", iniPath(), "-q", "-c", "steps.cmb", "f0.txt", "f1.txt", "f2.txt"},
                 files(), work.path());
  ASSERT_TRUE(AwaitNewFile(files()));
  ::kill(run.pid(), SIGINT);
  CliResult r = run.wait();

  EXPECT_EQ(r.status, 130) << r.err;
  const std::string done = Replaced(text, 'a', 'c');
  for (const std::string& t : targets) {
    const std::string now = ReadFile(t);
    EXPECT_TRUE(now == text || now == done) << t << " holds " << now.size() << " bytes";
    if (now == done) {
      EXPECT_TRUE(ReadFile(t + "_BK") == text) << t;  // kept, as in every COMBO!! run
    }
  }
}

// A first line of gigabytes (a sparse file): a cancel is heard while it is read.
// A link to an endless device is no target at all.
TEST_F(CliTest, ACancelIsHeardInTheMiddleOfAHugeFirstLine) {
  // Text at its head, then zeros beyond what tells a binary file.
  const std::string huge = make("huge.txt", std::string(size_t{64} << 10, 'x'));
  std::filesystem::resize_file(huge, uintmax_t{8} << 30);
  std::filesystem::create_symlink("/dev/zero", at("zero.txt"));
  CliProcess run({"--ini", iniPath(), "-q", "-s", "0,0,a,0,b,#", "zero.txt", "huge.txt"}, files(),
                 work.path());
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ::kill(run.pid(), SIGINT);
  const CliResult r = run.wait();
  EXPECT_EQ(r.status, 130);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(std::filesystem::file_size(huge), uintmax_t{8} << 30);
}

// Nobody reads the boxes any more (kadrel-cli ... 2>&1 | head -n 1 after its
// line): the first box finds standard error closed, and the run ends there.
TEST_F(CliTest, AClosedStandardErrorCancelsTheRun) {
  make("lf.txt", "a\nb\n");  // skipped with a box
  const std::string text = LongText();
  const std::string later = make("later.txt", text);
  int ends[2];
  ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
  ::close(ends[0]);
  CliProcess run({"--ini", iniPath(), "-q", "-s", "0,0,a,0,b,#", "lf.txt", "later.txt"}, files(),
                 work.path(), "/dev/null", ends[1]);
  ::close(ends[1]);
  EXPECT_EQ(run.wait().status, 130);
  EXPECT_TRUE(ReadFile(later) == text);
  EXPECT_EQ(TemporariesIn(files()), 0);
}

}  // namespace
}  // namespace kadrel::test
