// kadrel-cli killed with SIGKILL at random moments of a run: whatever the moment,
// the previous content of every target is still on disk, in the target itself or
// in its backup copy. Plain runs with BkupEdit 0 and 1, and a COMBO!! run.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "proof/cli_runner.h"
#include "support/temp_dir.h"

namespace kadrel {
namespace {

using Clock = std::chrono::steady_clock;
using test::ReadFile;
using test::WriteFile;

std::string Text(int lines, int seed) {
  std::string s;
  s.reserve(static_cast<size_t>(lines) * 110);
  for (int i = 0; i < lines; ++i) {
    s += "line " + std::to_string(i + seed) + " abc " + std::string(80, 'x') + "  \r\n";
    if (i % 9 == 0) s += "\r\n";
  }
  return s;
}

class CrashConsistency : public testing::Test {
 protected:
  struct Target {
    std::string path;
    std::string before;
    std::string after;
  };

  CrashConsistency() {
    WriteFile(dir.file("Kadrel.ini"), "");
    WriteFile(dir.file("steps.txt"), "0,0,abc,0,XYZ,#\r\n5,1,0,0,0,1,#\r\n2,0,4,0,0,0,,0,0,#\r\n");
    std::filesystem::create_directory(dir.file("data"));
    targets = {{dir.file("data/big.txt"), Text(70000, 0), ""},
               {dir.file("data/small.txt"), Text(20, 7), ""},
               {dir.file("data/medium.txt"), Text(20000, 3), ""}};
  }

  void reset() {
    for (const auto& t : targets) {
      WriteFile(t.path, t.before);
      std::filesystem::remove(t.path + "_BK");
    }
  }

  std::vector<std::string> arguments(const std::vector<std::string>& run) const {
    std::vector<std::string> args{"--ini", dir.file("Kadrel.ini"), "-q"};
    args.insert(args.end(), run.begin(), run.end());
    for (const auto& t : targets) args.push_back(t.path);
    return args;
  }

  // Runs once to the end to learn the new contents and the run's length, then
  // kills runs at random moments within that length until `kills` of them were
  // killed before their end.
  void killAtRandom(const std::vector<std::string>& run, int kills) {
    reset();
    const auto start = Clock::now();
    const pid_t pid = proof::StartCli(arguments(run));
    ASSERT_GT(pid, 0);
    ASSERT_EQ(proof::WaitCli(pid), 0);
    const auto length = Clock::now() - start;
    for (auto& t : targets) {
      t.after = ReadFile(t.path);
      ASSERT_NE(t.after, t.before);
    }

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    long range = std::chrono::duration_cast<std::chrono::microseconds>(length).count();
    int interrupted = 0;
    for (int attempt = 0; interrupted < kills && attempt < 4 * kills; ++attempt) {
      reset();
      const auto delay = std::chrono::microseconds(
          std::uniform_int_distribution<long>(0, std::max(range, 1L))(random));
      SCOPED_TRACE("killed after " + std::to_string(delay.count()) + " us");
      const pid_t victim = proof::StartCli(arguments(run));
      ASSERT_GT(victim, 0);
      std::this_thread::sleep_for(delay);
      ::kill(victim, SIGKILL);
      if (proof::WaitCli(victim) == 128 + SIGKILL) {
        ++interrupted;
      } else {
        range = range * 3 / 4;  // the run was quicker than the first one: aim earlier
      }
      for (const auto& t : targets) {
        const std::string now = ReadFile(t.path);
        if (now == t.before || now == t.after) continue;
        ASSERT_TRUE(test::FileExists(t.path + "_BK")) << t.path << " lost its content";
        EXPECT_TRUE(ReadFile(t.path + "_BK") == t.before) << t.path << " lost its content";
      }
    }
    EXPECT_EQ(interrupted, kills);
  }

  test::TempDir dir;
  std::vector<Target> targets;
};

TEST_F(CrashConsistency, PlainRunWithoutKeptBackups) {
  killAtRandom({"-o", "BkupEdit=0", "-s", "0,0,abc,0,XYZ,#"}, 12);
}

TEST_F(CrashConsistency, PlainRunWithKeptBackups) {
  killAtRandom({"-o", "BkupEdit=1", "-s", "5,1,0,1,0,1,#"}, 12);
}

TEST_F(CrashConsistency, ComboRun) {
  killAtRandom({"-c", dir.file("steps.txt")}, 12);
}

// Two COMBO!! runs at once share the program's folder but never its work file,
// also when one of them is killed half way.
TEST_F(CrashConsistency, ComboRunsSideBySideKeepTheirWorkFilesApart) {
  const std::vector<std::string> run{"-c", dir.file("steps.txt")};
  reset();
  ASSERT_EQ(proof::WaitCli(proof::StartCli(arguments(run))), 0);
  for (auto& t : targets) t.after = ReadFile(t.path);

  std::filesystem::create_directory(dir.file("other"));
  const std::string other = dir.file("other/big.txt");
  for (int round = 0; round < 3; ++round) {
    reset();
    WriteFile(other, targets[0].before);
    std::filesystem::remove(other + "_BK");
    const pid_t first = proof::StartCli(arguments(run));
    const pid_t second = proof::StartCli(
        {"--ini", dir.file("Kadrel.ini"), "-q", "-c", dir.file("steps.txt"), other});
    if (round == 2) {  // the first one dies in the middle of its work
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      ::kill(first, SIGKILL);
    }
    const int firstStatus = proof::WaitCli(first);
    EXPECT_EQ(proof::WaitCli(second), 0);
    EXPECT_TRUE(ReadFile(other) == targets[0].after);
    for (const auto& t : targets) {
      const std::string now = ReadFile(t.path);
      if (round < 2) {
        EXPECT_EQ(firstStatus, 0);
        EXPECT_TRUE(now == t.after) << t.path;
      } else if (now != t.before && now != t.after) {
        EXPECT_TRUE(ReadFile(t.path + "_BK") == t.before) << t.path;
      }
    }
  }
}

}  // namespace
}  // namespace kadrel
