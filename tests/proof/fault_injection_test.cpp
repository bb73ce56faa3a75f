// Each failure a disk or another program can cause during a plain and a COMBO!!
// run, with the messages the user gets and what is left on disk: the target
// keeps its previous content unless its whole new content took its name, and a
// backup copy is made only beside a target that was replaced: a backup of an
// earlier run stays as it was otherwise.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "proof/run_world.h"

namespace kadrel::proof {
namespace {

using test::FileExists;
using test::ReadFile;
using test::WriteFile;

const std::string kIo = "デバイス I/O エラーです。";
const std::string kFull = "ディスクの空き容量が不足しています。";
const std::string kDenied = "書き込みできません。アクセスが拒否されました。";
const std::string kMissing = "ファイルが見つかりません。";
const std::string kOpenFailed = "|ファイルオープンでエラーが発生しました\r";
const std::string kBackupFailed = "|ファイルバックアップ処理でエラーが発生しました\r";

// A target of more than one write buffer (1 MiB), so that a write fails while the
// engine is in the middle of the file, not only when it closes the file.
std::string LargeTarget() {
  std::string s = "head\r\nBEGIN\r\n";
  for (int i = 0; i < 70000; ++i) {
    s += "line " + std::to_string(i) + " abc  \r\n";
    if (i % 7 == 0) s += "\r\n";
  }
  return s + "END\r\ntail\r\n";
}

const std::string kSmall = "abc\r\nBEGIN\r\n abc \r\n\r\nEND\r\n";

struct Case {
  const char* name;
  std::vector<Fault> faults = {};
  std::vector<std::string> boxes = {};  // "title|text"; {T} {TB} {U} {UB} stand for the paths
  bool replaced = false;                // t.txt takes its new content
  bool backupMade = false;              // the backup copy was made before the failure
  bool needsBackups = false;            // only where backup copies are made
  bool readOnlyTarget = false;
  bool lockedTarget = false;   // another run holds t.txt
  bool deleteU = false;        // u.txt disappears when the run turns to it
  bool earlierBackup = false;  // t.txt has a backup copy of an earlier run
  // Another program renames a file over t.txt when the run comes to this
  // operation on t.txt (or its backup copy).
  std::optional<Op> replacedAt = std::nullopt;
};

std::string Expand(std::string s, const World& w) {
  const std::pair<std::string, std::string> names[] = {{"{TB}", w.backupOf("t.txt")},
                                                       {"{UB}", w.backupOf("u.txt")},
                                                       {"{T}", w.path("t.txt")},
                                                       {"{U}", w.path("u.txt")}};
  for (const auto& [key, value] : names)
    for (size_t p; (p = s.find(key)) != std::string::npos;) s.replace(p, key.size(), value);
  return s;
}

class FaultInjection : public testing::TestWithParam<int16_t> {
 protected:
  // Runs every case over t.txt (large) and u.txt (small) and checks the messages,
  // t.txt's content, its backup copy, and that u.txt was still processed.
  void runCases(Scenario scenario, const std::vector<Case>& cases) {
    scenario.options.BkupEdit = GetParam();
    scenario.files = {{"t.txt", LargeTarget()}, {"u.txt", kSmall}};
    const bool backups = scenario.combo || GetParam() == 1;
    const std::vector<std::string> after = NewContents(scenario);
    for (const Case& c : cases) {
      if (c.needsBackups && !backups) continue;
      SCOPED_TRACE(c.name);
      World w(scenario);
      w.files.faults = c.faults;
      if (c.readOnlyTarget) w.files.readOnly.insert(w.path("t.txt"));
      const int held = c.lockedTarget ? ::open(w.path("t.txt").c_str(), O_RDONLY | O_CLOEXEC) : -1;
      if (held >= 0) {
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
      }
      const std::string earlier = "backup of an earlier run\r\n";
      if (c.earlierBackup) WriteFile(w.backupOf("t.txt"), earlier);
      const std::string theirs = "another program's\r\n";
      if (c.replacedAt) {
        w.deletedByTest.insert("t.txt");
        w.files.before = [&](Op op, const std::string& path) {
          if (op != *c.replacedAt || !path.starts_with(w.path("t.txt"))) return;
          WriteFile(w.path("theirs"), theirs);
          std::filesystem::rename(w.path("theirs"), w.path("t.txt"));
          w.files.before = nullptr;
        };
      }
      if (c.deleteU) {
        WriteFile(w.backupOf("u.txt"), earlier);
        w.deletedByTest.insert("u.txt");
        w.host.onSelect = [&](int i) {
          if (i == 1) std::filesystem::remove(w.path("u.txt"));
        };
      }
      w.run();
      if (held >= 0) ::close(held);

      std::vector<std::string> expected;
      for (const auto& b : c.boxes) expected.push_back(Expand(b, w));
      EXPECT_EQ(w.boxes(), expected);
      EXPECT_EQ(BrokenPromises(w, after), std::vector<std::string>{});

      const std::string t = ReadFile(w.path("t.txt"));
      EXPECT_TRUE(t == (c.replacedAt ? theirs : c.replaced ? after[0] : scenario.files[0].content));
      if ((c.replaced || c.backupMade) && backups) {
        EXPECT_TRUE(ReadFile(w.backupOf("t.txt")) == scenario.files[0].content);
      } else if (c.earlierBackup) {
        EXPECT_EQ(ReadFile(w.backupOf("t.txt")), earlier);
      } else {
        EXPECT_FALSE(FileExists(w.backupOf("t.txt")));
      }
      if (c.deleteU) {
        EXPECT_FALSE(FileExists(w.path("u.txt")));
        EXPECT_EQ(ReadFile(w.backupOf("u.txt")), earlier);  // never deleted for nothing
      } else {
        EXPECT_EQ(ReadFile(w.path("u.txt")), after[1]);  // the run went on
      }
      EXPECT_EQ(test::TemporariesIn(w.root()), 0);
    }
  }
};

// Faults common to both runs, naming t.txt's new content by the target's name.
std::vector<Case> CommonCases() {
  return {
      {.name = "write error in the middle of the new content",
       .faults = {{Op::Write, "t.txt", 1, 1000}},
       .boxes = {"File Write Error|" + kFull + "\r[ {T}]"}},
      {.name = "disk full found by the sync before the rename",
       .faults = {{Op::Sync, "t.txt", 1, 0, ENOSPC}},
       .boxes = {"File Write Error|" + kFull + "\r[ {T}]"}},
      {.name = "the new content cannot take the target's name: no backup made",
       .faults = {{Op::Commit, "t.txt", 1, 0, EACCES}},
       .boxes = {"File Write Error|" + kDenied + "\r[ {T}]"}},
      {.name = "the new content cannot take the target's name: the earlier backup stays",
       .faults = {{Op::Commit, "t.txt", 1, 0, EACCES}},
       .boxes = {"File Write Error|" + kDenied + "\r[ {T}]"},
       .earlierBackup = true},
      {.name = "target replaced by another program before its backup copy",
       .boxes = {kBackupFailed + "元[ {T}]\r先[ {TB}]\r" + ErrorText(kErrReplacedMeanwhile)},
       .needsBackups = true,
       .earlierBackup = true,
       .replacedAt = Op::Copy},
      {.name = "target replaced by another program after its backup copy",
       .boxes = {"File Write Error|" + ErrorText(kErrReplacedMeanwhile) + "\r[ {T}]"},
       .earlierBackup = true,
       .replacedAt = Op::Commit},
      {.name = "backup copy fails on a full disk",
       .faults = {{Op::Copy, "t.txt_BK", 1, 0, ENOSPC}},
       .boxes = {kBackupFailed + "元[ {T}]\r先[ {TB}]\r" + kFull},
       .needsBackups = true},
      {.name = "write-protected backup copy of an earlier run",
       .faults = {{Op::Copy, "t.txt_BK", 1, 0, EACCES}},
       .boxes = {kBackupFailed + "元[ {T}]\r先[ {TB}]\r" + kDenied},
       .needsBackups = true},
      {.name = "write-protected target",
       .boxes = {kOpenFailed + "[ {T}]\r" + kDenied + "\r処理を飛ばします"},
       .readOnlyTarget = true},
      {.name = "another run holds the target",
       .boxes = {kOpenFailed + "[ {T}]\r" + ErrorText(kErrLocked) + "\r処理を飛ばします"},
       .lockedTarget = true},
      {.name = "target deleted after listing",
       .boxes = {kOpenFailed + "[ {U}]\r" + kMissing + "\r処理を飛ばします"},
       .replaced = true,
       .deleteU = true},
  };
}

TEST_P(FaultInjection, PlainRun) {
  Scenario s;
  s.steps = {"0,0,abc,0,XYZ,#"};
  std::vector<Case> cases = CommonCases();
  cases.push_back({.name = "read error in the middle of the target",
                   // one reader checks the first line and goes on for the engine,
                   // past the beginning that the code page guess reads
                   .faults = {{Op::Read, "t.txt", 1, 1200000, EIO}},
                   .boxes = {"File Read Error|" + kIo + "\r[ {T}]"}});
  cases.push_back({.name = "disk full found at close",
                   .faults = {{Op::Close, "t.txt", 1, 10}},
                   .boxes = {"File Write Error|" + kFull + "\r[ {T}]"}});
  runCases(s, cases);
}

TEST_P(FaultInjection, ComboRun) {
  Scenario s;
  s.combo = true;
  s.steps = {"0,0,abc,0,XYZ,#", "3,BEGIN,END,#", "5,1,0,0,0,1,#"};
  std::vector<Case> cases = CommonCases();
  cases.push_back({.name = "read error of the first step's output",
                   // the second step's reader: the first step's output
                   .faults = {{Op::Read, "t.txt", 2, 5000, EIO}},
                   .boxes = {"File Read Error|" + kIo + "\r[ {T}]"}});
  cases.push_back({.name = "disk full at the close of the extraction's output",
                   .faults = {{Op::Close, "t.txt", 2, 10}},
                   .boxes = {"File Write Error|" + kFull + "\r[ {T}]"}});
  runCases(s, cases);
}

INSTANTIATE_TEST_SUITE_P(BkupEdit, FaultInjection, testing::Values(0, 1));

}  // namespace
}  // namespace kadrel::proof
