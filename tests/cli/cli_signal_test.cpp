// SIGINT and SIGTERM during a run: the run ends as a cancel does, and the file
// being rewritten keeps its previous content (or, had it been finished, its new one).
// The signal is sent once the backup copy of the first file exists, while the
// engine rewrites it.
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

// Waits until path exists (the run has begun on the file), at most a while.
bool AwaitFile(const std::string& path) {
  for (int i = 0; i < 20000; ++i) {
    if (FileExists(path)) return true;
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
  std::string after = before;
  for (size_t p = after.find('a'); p != std::string::npos; p = after.find('a', p + 1))
    after[p] = 'b';

  CliProcess run({"--ini", iniPath(), "-q", "-s", "0,0,a,0,b,#", "-o", "BkupEdit=0", "long.txt"},
                 files(), work.path());
  ASSERT_TRUE(AwaitFile(target + "_BK"));
  ::kill(run.pid(), GetParam().signal);
  CliResult r = run.wait();

  EXPECT_EQ(r.status, 130) << r.err;
  const std::string now = ReadFile(target);
  EXPECT_TRUE(now == before || now == after) << "the target holds " << now.size() << " bytes";
  if (FileExists(target + "_BK")) {
    EXPECT_EQ(ReadFile(target + "_BK"), before);
  }
}

INSTANTIATE_TEST_SUITE_P(Signals, CliSignals,
                         ::testing::Values(SignalCase{SIGINT, "SIGINT"},
                                           SignalCase{SIGTERM, "SIGTERM"}));

TEST_F(CliTest, InterruptedComboRunKeepsEveryFileWhole) {
  const std::string text = LongText();
  make("steps.cmb", "0,0,a,0,b,#\r\n0,0,b,0,c,#\r\n");
  std::vector<std::string> targets;
  for (int i = 0; i < 3; ++i) targets.push_back(make("f" + std::to_string(i) + ".txt", text));

  CliProcess run({"--ini", iniPath(), "-q", "-c", "steps.cmb", "f0.txt", "f1.txt", "f2.txt"},
                 files(), work.path());
  ASSERT_TRUE(AwaitFile(targets[0] + "_BK"));
  ::kill(run.pid(), SIGINT);
  CliResult r = run.wait();

  EXPECT_EQ(r.status, 130) << r.err;
  std::string done = text;
  for (char& c : done) {
    if (c == 'a') c = 'c';
  }
  for (const std::string& t : targets) {
    const std::string now = ReadFile(t);
    EXPECT_TRUE(now == text || now == done) << t << " holds " << now.size() << " bytes";
  }
  EXPECT_TRUE(FileExists(targets[0] + "_BK"));  // kept, as in every COMBO!! run
}

}  // namespace
}  // namespace kadrel::test
