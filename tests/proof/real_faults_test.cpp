// The same promises on the real file system, without a simulated layer: a disk
// that fills up (a file size limit, RLIMIT_FSIZE), and write-protected files and
// folders. Tests run as root, which write protection does not stop, so each run
// happens in a child process that first gives up root for the "nobody" user.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "proof/run_world.h"

namespace kadrel::proof {
namespace {

using test::ReadFile;

constexpr int kNoPrivilegeDrop = 77;

// Runs body in a child process; its exit status (body's result).
int InChild(const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Gives up root for "nobody" (65534), so that write protection applies.
bool DropRoot() {
  if (::geteuid() != 0) return true;
  return ::setresgid(65534, 65534, 65534) == 0 && ::setresuid(65534, 65534, 65534) == 0;
}

// Runs the world in a child under the given limits; the child hands its boxes
// back through a file, one "title|text" a line (CR written as "\r").
std::vector<std::string> RunInChild(World& w, bool asNobody, long fileSizeLimit) {
  // Beside the world's folder, which may be write-protected.
  const std::string boxesPath = w.root() + ".boxes";
  std::ofstream(boxesPath).close();
  std::filesystem::permissions(boxesPath, std::filesystem::perms::all);
  const int status = InChild([&] {
    if (asNobody && !DropRoot()) return kNoPrivilegeDrop;
    if (fileSizeLimit > 0) {
      ::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit fails with EFBIG instead
      rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    w.run();
    std::ofstream out(boxesPath);
    for (const std::string& box : w.boxes()) {
      std::string line = box;
      for (size_t p; (p = line.find('\r')) != std::string::npos;) line.replace(p, 1, "\\r");
      out << line << "\n";
    }
    return out ? 0 : 1;
  });
  if (status == kNoPrivilegeDrop) return {"(no privilege drop)"};
  EXPECT_EQ(status, 0);
  std::vector<std::string> boxes;
  std::ifstream in(boxesPath);
  for (std::string line; std::getline(in, line);) {
    for (size_t p; (p = line.find("\\r")) != std::string::npos;) line.replace(p, 2, "\r");
    boxes.push_back(line);
  }
  std::filesystem::remove(boxesPath);
  return boxes;
}

// Lines that grow when "a" becomes "AAAA": the backup copy fits under the limit,
// the rewritten file does not.
std::string Growing() {
  std::string s;
  for (int i = 0; i < 40000; ++i) s += "a line with a few a's " + std::to_string(i) + "\r\n";
  return s;
}

class RealFaults : public testing::TestWithParam<bool> {};

TEST_P(RealFaults, AFullDiskWhileRewritingLeavesThePreviousContent) {
  Scenario s;
  s.combo = GetParam();
  s.steps = {"0,0,a,0,AAAA,#"};
  s.options.BkupEdit = 0;
  s.files = {{"t.txt", Growing()}};
  const auto after = NewContents(s);
  World w(s);
  const long limit = static_cast<long>(s.files[0].content.size()) + 4096;
  ASSERT_GT(after[0].size(), static_cast<size_t>(limit));
  const auto boxes = RunInChild(w, false, limit);
  EXPECT_EQ(boxes, std::vector<std::string>{"File Write Error|ファイルが大きすぎます。\r[ " +
                                            w.path("t.txt") + "]"});
  EXPECT_TRUE(ReadFile(w.path("t.txt")) == s.files[0].content);
  EXPECT_FALSE(test::FileExists(w.backupOf("t.txt")));  // nothing was replaced
  EXPECT_EQ(test::TemporariesIn(w.root()), 0);
  EXPECT_EQ(BrokenPromises(w, after), std::vector<std::string>{});
}

// A backup copy that the disk cannot hold (a setuid file is copied, never linked,
// so that the copy carries no privilege): the target is left as it was, and the
// backup copy of an earlier run stays whole, with no partial file beside it.
TEST_P(RealFaults, AFullDiskWhileCopyingTheBackupKeepsTheEarlierOne) {
  Scenario s;
  s.combo = GetParam();
  s.steps = {"0,0,a line with a few ,0,,#"};  // the new content is smaller
  s.options.BkupEdit = 1;
  s.files = {{"t.txt", Growing()}};
  World w(s);
  std::filesystem::permissions(w.path("t.txt"), static_cast<std::filesystem::perms>(04644));
  const std::string earlier = "the backup of an earlier run\r\n";
  test::WriteFile(w.backupOf("t.txt"), earlier);
  const long limit = static_cast<long>(s.files[0].content.size()) / 2;
  const auto boxes = RunInChild(w, false, limit);
  EXPECT_EQ(boxes, std::vector<std::string>{
                       "|ファイルバックアップ処理でエラーが発生しました\r元[ " + w.path("t.txt") +
                       "]\r先[ " + w.backupOf("t.txt") + "]\rファイルが大きすぎます。"});
  EXPECT_TRUE(ReadFile(w.path("t.txt")) == s.files[0].content);
  EXPECT_EQ(ReadFile(w.backupOf("t.txt")), earlier);
  EXPECT_EQ(test::TemporariesIn(w.root()), 0);
}

TEST_P(RealFaults, AWriteProtectedTargetIsLeftAsItWas) {
  Scenario s;
  s.combo = GetParam();
  s.steps = {"0,0,a,0,X,#"};
  s.files = {{"t.txt", "a\r\n"}, {"u.txt", "a\r\n"}};
  World w(s);
  std::filesystem::permissions(w.root(), std::filesystem::perms::all);
  std::filesystem::permissions(w.root() + "/prog", std::filesystem::perms::all);
  std::filesystem::permissions(w.path("u.txt"), std::filesystem::perms::all);
  // The runner's own: a file it does not own would not keep its owner (the hostile
  // trees show that one).
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(w.path("u.txt").c_str(), 65534, 65534), 0);
  }
  std::filesystem::permissions(w.path("t.txt"), std::filesystem::perms::owner_read |
                                                    std::filesystem::perms::group_read |
                                                    std::filesystem::perms::others_read);
  const auto boxes = RunInChild(w, true, 0);
  if (boxes == std::vector<std::string>{"(no privilege drop)"}) GTEST_SKIP() << "cannot drop root";
  const std::string denied = "書き込みできません。アクセスが拒否されました。";
  EXPECT_EQ(boxes,
            (std::vector<std::string>{"|ファイルオープンでエラーが発生しました\r[ " +
                                      w.path("t.txt") + "]\r" + denied + "\r処理を飛ばします"}));
  EXPECT_EQ(ReadFile(w.path("t.txt")), "a\r\n");
  EXPECT_FALSE(test::FileExists(w.backupOf("t.txt")));
  EXPECT_EQ(ReadFile(w.path("u.txt")), "X\r\n");  // the run went on
}

TEST_P(RealFaults, AWriteProtectedFolderSkipsItsFiles) {
  Scenario s;
  s.combo = GetParam();
  s.steps = {"0,0,a,0,X,#"};
  s.files = {{"t.txt", "a\r\n"}};
  World w(s);
  std::filesystem::permissions(w.root() + "/prog", std::filesystem::perms::all);
  std::filesystem::permissions(w.path("t.txt"), std::filesystem::perms::all);
  std::filesystem::permissions(w.root(), std::filesystem::perms::owner_all |
                                             std::filesystem::perms::others_read |
                                             std::filesystem::perms::others_exec);
  const auto boxes = RunInChild(w, true, 0);
  if (boxes == std::vector<std::string>{"(no privilege drop)"}) GTEST_SKIP() << "cannot drop root";
  EXPECT_EQ(boxes, std::vector<std::string>{"|ファイルオープンでエラーが発生しました\r[ " +
                                            w.path("t.txt") +
                                            "]\r書き込みできません。アクセスが拒否されました。"
                                            "\r処理を飛ばします"});
  EXPECT_EQ(ReadFile(w.path("t.txt")), "a\r\n");
}

INSTANTIATE_TEST_SUITE_P(PlainAndCombo, RealFaults, testing::Bool());

}  // namespace
}  // namespace kadrel::proof
