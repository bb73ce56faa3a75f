// Each failure a disk or another program can cause during a plain and a COMBO!!
// run, with the messages the user gets and what is left on disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "proof/run_world.h"

namespace kadrel::proof {
namespace {

using test::ReadFile;
using test::WriteFile;

const std::string kIo = "デバイス I/O エラーです。";
const std::string kFull = "ディスクの空き容量が不足しています。";
const std::string kDenied = "書き込みできません。アクセスが拒否されました。";
const std::string kMissing = "ファイルが見つかりません。";

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

// What a case expects of the first target, t.txt.
enum class Left { Previous, New, Other };

struct Case {
  const char* name;
  std::vector<Fault> faults = {};
  std::vector<std::string> boxes = {};  // "title|text"; {T} {TB} {U} {UB} {W} stand for the paths
  Left target = Left::Previous;
  bool backupKept = false;  // t.txt_BK holds the previous content after the run
  bool readOnlyTarget = false;
  bool deleteU = false;  // u.txt disappears when the run turns to it
};

std::string Expand(std::string s, const World& w) {
  const std::pair<std::string, std::string> names[] = {{"{TB}", w.backupOf("t.txt")},
                                                       {"{UB}", w.backupOf("u.txt")},
                                                       {"{T}", w.path("t.txt")},
                                                       {"{U}", w.path("u.txt")},
                                                       {"{W}", w.workFile()}};
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
    const std::vector<std::string> after = NewContents(scenario);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      World w(scenario);
      w.files.faults = c.faults;
      if (c.readOnlyTarget) w.files.readOnly.insert(w.path("t.txt"));
      const std::string earlier = "backup of an earlier run\r\n";
      if (c.deleteU) {
        WriteFile(w.backupOf("u.txt"), earlier);
        w.deletedByTest.insert("u.txt");
        w.host.onSelect = [&](int i) {
          if (i == 1) std::filesystem::remove(w.path("u.txt"));
        };
      }
      w.run();

      std::vector<std::string> expected;
      for (const auto& b : c.boxes) expected.push_back(Expand(b, w));
      EXPECT_EQ(w.boxes(), expected);
      EXPECT_EQ(BrokenPromises(w, after), std::vector<std::string>{});

      const std::string t = ReadFile(w.path("t.txt"));
      if (c.target == Left::Previous) {
        EXPECT_TRUE(t == scenario.files[0].content);
      } else if (c.target == Left::New) {
        EXPECT_TRUE(t == after[0]);
      }
      if (c.backupKept) {
        EXPECT_TRUE(ReadFile(w.backupOf("t.txt")) == scenario.files[0].content);
      }

      if (c.deleteU) {
        EXPECT_FALSE(std::filesystem::exists(w.path("u.txt")));
        EXPECT_EQ(ReadFile(w.backupOf("u.txt")), earlier);  // never deleted for nothing
      } else {
        EXPECT_EQ(ReadFile(w.path("u.txt")), after[1]);  // the run went on
      }
      EXPECT_FALSE(std::filesystem::exists(w.workFile()));
    }
  }
};

TEST_P(FaultInjection, PlainRun) {
  Scenario s;
  s.steps = {"0,0,abc,0,XYZ,#"};
  const std::string backupFailed = "|ファイルバックアップ処理でエラーが発生しました\r";
  const std::string openFailed = "|ファイルオープンでエラーが発生しました\r";
  const std::string restoreFailed = "|ファイル復旧処理でエラーが発生しました\r復旧[ {T}]\r";
  runCases(s, {
                  {.name = "read error in the middle of the backup copy",
                   .faults = {{Op::Read, "t.txt_BK", 1, 5000, EIO}},
                   .boxes = {"File Read Error|" + kIo + "\r[ {T}]"},
                   .backupKept = true},
                  {.name = "write error in the middle of the target",
                   .faults = {{Op::Write, "t.txt", 1, 1000}},
                   .boxes = {"File Write Error|" + kFull + "\r[ {T}]"},
                   .backupKept = true},
                  {.name = "disk full found at close",
                   .faults = {{Op::Close, "t.txt", 1, 10}},
                   .boxes = {"File Write Error|" + kFull + "\r[ {T}]"},
                   .backupKept = true},
                  {.name = "backup copy fails half way",
                   .faults = {{Op::Copy, "t.txt_BK", 1, 50}},
                   .boxes = {backupFailed + "元[ {T}]\r先[ {TB}]\r" + kFull}},
                  {.name = "restore fails after a write error",
                   .faults = {{Op::Write, "t.txt", 1, 1000}, {Op::Copy, "t.txt", 1, 0}},
                   .boxes = {"File Write Error|" + kFull + "\r[ {T}]",
                             restoreFailed + kFull + "\r処理を飛ばします"},
                   .target = Left::Other,
                   .backupKept = true},
                  {.name = "write-protected target",
                   .boxes = {openFailed + "[ {T}]\r" + kDenied + "\r処理を飛ばします",
                             restoreFailed + kDenied + "\r処理を飛ばします"},
                   .backupKept = true,
                   .readOnlyTarget = true},
                  {.name = "target deleted after listing",
                   .boxes = {openFailed + "[ {U}]\r" + kMissing + "\r処理を飛ばします"},
                   .target = Left::New,
                   .deleteU = true},
                  {.name = "write-protected backup copy of an earlier run",
                   .faults = {{Op::Copy, "t.txt_BK", 1, -1, EACCES}},
                   .boxes = {backupFailed + "元[ {T}]\r先[ {TB}]\r" + kDenied}},
              });
}

TEST_P(FaultInjection, LineEndConversionOfADeletedTargetKeepsTheEarlierBackup) {
  Scenario s;
  s.steps = {"1,#"};  // no first-line check: making the backup copy is the first thing tried
  runCases(s, {{.name = "target deleted after listing",
                .boxes = {"|ファイルバックアップ処理でエラーが発生しました\r元[ {U}]\r先[ {UB}]\r" +
                          kMissing},
                .target = Left::New,
                .deleteU = true}});
}

TEST_P(FaultInjection, ComboRun) {
  Scenario s;
  s.combo = true;
  s.steps = {"0,0,abc,0,XYZ,#", "3,BEGIN,END,#", "5,1,0,0,0,1,#"};
  const std::string copyFailed = "|ファイルバックアップ処理でエラーが発生しました\r";
  const std::string restoreFailed = "|ファイル復旧処理でエラーが発生しました\r復旧[ {T}]\r";
  runCases(s, {
                  {.name = "read error of the work file",
                   .faults = {{Op::Read, "kdrcmb.work", 1, 5000, EIO}},
                   .boxes = {"File Read Error|" + kIo + "\r[ {T}]"},
                   .backupKept = true},
                  {.name = "write error in the middle of the target",
                   .faults = {{Op::Write, "t.txt", 1, 1000}},
                   .boxes = {"File Write Error|" + kFull + "\r[ {T}]"},
                   .backupKept = true},
                  {.name = "disk full at the close of the extraction's work file",
                   .faults = {{Op::Close, "kdrcmb.work", 1, 10}},
                   .boxes = {"File Write Error|" + kFull + "\r[ {W}]"},
                   .backupKept = true},
                  {.name = "file backup fails",
                   .faults = {{Op::Copy, "t.txt_BK", 1, 50}},
                   .boxes = {copyFailed + "元[ {T}]\r先[ {TB}]\r" + kFull}},
                  {.name = "copy to the work file fails: the step is skipped",
                   .faults = {{Op::Copy, "kdrcmb.work", 1, 10}},
                   .boxes = {copyFailed + "元[ {T}]\r先[ {W}]\r" + kFull},
                   .target = Left::Other,
                   .backupKept = true},
                  {.name = "copy of the extracted lines back to the target fails",
                   .faults = {{Op::Copy, "t.txt", 1, 10}},
                   .boxes = {copyFailed + "元[ {W}]\r先[ {T}]\r" + kFull},
                   .backupKept = true},
                  {.name = "restore fails after a write error",
                   .faults = {{Op::Write, "t.txt", 1, 1000}, {Op::Copy, "t.txt", 1, 0}},
                   .boxes = {"File Write Error|" + kFull + "\r[ {T}]",
                             restoreFailed + kFull + "\r処理を飛ばします"},
                   .target = Left::Other,
                   .backupKept = true},
                  {.name = "write-protected target",
                   .boxes = {"|ファイルオープンでエラーが発生しました\r[ {T}]\r" + kDenied +
                                 "\r処理を飛ばします",
                             restoreFailed + kDenied + "\r処理を飛ばします"},
                   .backupKept = true,
                   .readOnlyTarget = true},
                  {.name = "target deleted after listing",
                   .boxes = {copyFailed + "元[ {U}]\r先[ {UB}]\r" + kMissing},
                   .target = Left::New,
                   .deleteU = true},
              });
}

INSTANTIATE_TEST_SUITE_P(BkupEdit, FaultInjection, testing::Values(0, 1));

}  // namespace
}  // namespace kadrel::proof
