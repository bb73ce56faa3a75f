// kadrel-cli killed with SIGKILL (or hung up on) at random moments of a run:
// whatever the moment, every target holds its previous content or its whole new
// one, and the same command run again right after finishes the job, its backup
// copies holding what it started from. Plain runs with BkupEdit 0 and 1, and a
// COMBO!! run; targets prepared ahead by several workers (the default on a
// machine of several cores) and one after another.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

#include "io/file_layer.h"
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
    std::string after;       // after one run
    std::string twice = "";  // after a second run
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

  // Runs once to the end to learn the new contents and the run's length (and once
  // more over them, to learn what a second run makes of a finished file), then
  // interrupts runs with signal at random moments within that length until
  // `interruptions` of them ended early. After each, every target holds its
  // previous or its new content, and no other; a second run then finishes the job
  // without losing the content it started from.
  void interruptAtRandom(const std::vector<std::string>& run, int interruptions, int signal) {
    reset();
    const auto start = Clock::now();
    ASSERT_EQ(proof::WaitCli(proof::StartCli(arguments(run))), 0);
    const auto length = Clock::now() - start;
    for (auto& t : targets) {
      t.after = ReadFile(t.path);
      ASSERT_NE(t.after, t.before);
    }
    ASSERT_EQ(proof::WaitCli(proof::StartCli(arguments(run))), 0);
    for (auto& t : targets) t.twice = ReadFile(t.path);

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    long range = std::chrono::duration_cast<std::chrono::microseconds>(length).count();
    int interrupted = 0;
    for (int attempt = 0; interrupted < interruptions && attempt < 4 * interruptions; ++attempt) {
      reset();
      const auto delay = std::chrono::microseconds(
          std::uniform_int_distribution<long>(0, std::max(range, 1L))(random));
      SCOPED_TRACE("interrupted after " + std::to_string(delay.count()) + " us");
      const pid_t victim = proof::StartCli(arguments(run));
      ASSERT_GT(victim, 0);
      std::this_thread::sleep_for(delay);
      ::kill(victim, signal);
      const int status = proof::WaitCli(victim);
      if (status == (signal == SIGKILL ? 128 + SIGKILL : 130)) {
        ++interrupted;
      } else if (status == 128 + signal) {
        // Ended by the signal itself before the program could take it as a cancel
        // (within the first moments after the start): not counted, files checked.
      } else {
        ASSERT_EQ(status, 0);
        range = range * 3 / 4;  // the run was quicker than the first one: aim earlier
      }
      std::vector<std::string> left;
      for (const auto& t : targets) {
        left.push_back(ReadFile(t.path));
        EXPECT_TRUE(left.back() == t.before || left.back() == t.after) << t.path;
      }
      // A cancelled run takes its temporaries with it; a killed one leaves them
      // to the next run.
      if (signal != SIGKILL) {
        EXPECT_EQ(test::TemporariesIn(dir.file("data")), 0);
      }

      ASSERT_EQ(proof::WaitCli(proof::StartCli(arguments(run))), 0);
      for (size_t i = 0; i < targets.size(); ++i) {
        const Target& t = targets[i];
        const bool wasDone = left[i] == t.after;
        EXPECT_TRUE(ReadFile(t.path) == (wasDone ? t.twice : t.after)) << t.path;
        if (keepsBackups(run)) {
          EXPECT_TRUE(ReadFile(t.path + "_BK") == left[i]) << t.path;
        }
      }
      EXPECT_EQ(test::TemporariesIn(dir.file("data")), 0);
    }
    EXPECT_EQ(interrupted, interruptions);
  }

  static bool keepsBackups(const std::vector<std::string>& run) {
    return std::find(run.begin(), run.end(), "BkupEdit=0") == run.end();
  }

  test::TempDir dir;
  std::vector<Target> targets;
};

TEST_F(CrashConsistency, PlainRunWithoutKeptBackups) {
  interruptAtRandom({"-o", "BkupEdit=0", "-s", "0,0,abc,0,XYZ,#"}, 10, SIGKILL);
}

TEST_F(CrashConsistency, PlainRunWithKeptBackups) {
  interruptAtRandom({"-o", "BkupEdit=1", "-s", "5,1,0,1,0,1,#"}, 10, SIGKILL);
}

TEST_F(CrashConsistency, ComboRun) {
  interruptAtRandom({"-c", dir.file("steps.txt")}, 10, SIGKILL);
}

// The targets prepared ahead by workers (-j), or one after another.
TEST_F(CrashConsistency, RunsPreparedAheadAndOneAfterAnother) {
  interruptAtRandom({"-j", "3", "-o", "BkupEdit=1", "-s", "0,0,abc,0,XYZ,#"}, 8, SIGKILL);
  interruptAtRandom({"-j", "3", "-c", dir.file("steps.txt")}, 8, SIGKILL);
  interruptAtRandom({"-j", "3", "-c", dir.file("steps.txt")}, 4, SIGHUP);
  interruptAtRandom({"-j", "1", "-o", "BkupEdit=0", "-s", "0,0,abc,0,XYZ,#"}, 4, SIGKILL);
}

// A closed terminal or ssh session: the run ends as a cancel does.
TEST_F(CrashConsistency, HangUpDuringAComboRun) {
  interruptAtRandom({"-c", dir.file("steps.txt")}, 6, SIGHUP);
}

// Two runs on the same files at once (a double start, an overlapping cron job):
// a file is processed by one run at a time; the other skips it with a box, or
// finds it finished. No file ever holds anything but a whole result.
TEST_F(CrashConsistency, TwoRunsOnOneFileTakeTurns) {
  const std::vector<std::string> run{"-o", "BkupEdit=1", "-s", "0,0,abc,0,XYZ,#"};
  reset();
  ASSERT_EQ(proof::WaitCli(proof::StartCli(arguments(run))), 0);
  for (auto& t : targets) t.after = ReadFile(t.path);
  int skipped = 0;
  for (int round = 0; round < 6; ++round) {
    reset();
    const std::string err[2] = {dir.file("first.err"), dir.file("second.err")};
    const pid_t runs[2] = {proof::StartCli(arguments(run), err[0]),
                           proof::StartCli(arguments(run), err[1])};
    for (int r = 0; r < 2; ++r) {
      const int status = proof::WaitCli(runs[r]);
      ASSERT_TRUE(status == 0 || status == 1) << status;
      const std::string said = ReadFile(err[r]);
      if (status == 1) {
        EXPECT_NE(said.find(ErrorText(kErrLocked)), std::string::npos) << said;
        ++skipped;
      }
    }
    for (const auto& t : targets) {
      EXPECT_TRUE(ReadFile(t.path) == t.after) << t.path;
      const std::string backup = ReadFile(t.path + "_BK");
      EXPECT_TRUE(backup == t.before || backup == t.after) << t.path;
    }
    EXPECT_EQ(test::TemporariesIn(dir.file("data")), 0);
  }
  std::printf("[   PROOF  ] %d files skipped as held by the other run\n", skipped);
}

// Two COMBO!! runs at once on different files do not disturb each other, also
// when one of them is killed half way.
TEST_F(CrashConsistency, RunsSideBySideOnDifferentFiles) {
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
