// A run whose targets are prepared ahead by workers does what the same run does
// one target after another: the same files, the same boxes and code pages in the
// same order, the same report. A cancel at one target's turn leaves it and every
// target after it as it was; an error that ends the run leaves every target. The
// undo journal records every replaced file, so that the run is taken back whole.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "combo/step_line.h"
#include "core/file_naming.h"
#include "io/file_layer.h"
#include "run/run_context.h"
#include "run/run_driver.h"
#include "run/undo/journalled_files.h"
#include "run/undo/undo_run.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"

namespace kadrel {
namespace {

using test::FileExists;
using test::ReadFile;
using test::WriteFile;

constexpr size_t kTargets = 40;

// What a run left and showed.
struct Seen {
  std::vector<std::string> files;  // every target's content, and its backup's or result's
  std::vector<std::string> boxes, codePages;
  std::vector<int> selected;
  std::vector<TargetOutcome> outcomes;
  std::vector<std::string> reasons;
  std::string endedByError;
  int temporaries = 0;
};

// Both runs left and showed the same.
void ExpectSame(const Seen& a, const Seen& b) {
  EXPECT_EQ(a.files, b.files);
  EXPECT_EQ(a.boxes, b.boxes);
  EXPECT_EQ(a.codePages, b.codePages);
  EXPECT_EQ(a.selected, b.selected);
  EXPECT_EQ(a.outcomes, b.outcomes);
  EXPECT_EQ(a.reasons, b.reasons);
  EXPECT_EQ(a.endedByError, b.endedByError);
  EXPECT_EQ(a.temporaries, b.temporaries);
}

struct Row {
  const char* name;
  std::vector<std::string> steps;  // one step line, or the steps of a COMBO!! run
  int bkupEdit = 0;
};

class PreparedAhead : public testing::Test {
 protected:
  // Writes the targets afresh: files with and without the search string, in
  // CP932 and UTF-8, a bare LF in a first line, one file listed twice and one
  // reached again through a link.
  void makeTargets() {
    std::filesystem::remove_all(dir.file("data"));
    std::filesystem::create_directories(dir.file("data/sub"));
    targets.clear();
    for (size_t i = 0; i < kTargets; ++i) {
      const std::string path = dir.file((i % 3 == 0 ? "data/sub/t" : "data/t") + std::to_string(i));
      std::string text;
      for (size_t line = 0; line < 3 + i % 7; ++line)
        text += "line " + std::to_string(line) + (i % 4 == 1 ? " none" : " abc  ") + "\r\n";
      if (i % 5 == 2) text = "\xe3\x81\x82 abc\r\n" + text;  // あ in UTF-8
      if (i % 11 == 6) text = "abc\n" + text;                // bare LF
      WriteFile(path, text);
      targets.push_back(path);
    }
    targets[20] = targets[5];  // listed twice
    std::filesystem::create_symlink(targets[3], dir.file("data/link"));
    targets[30] = dir.file("data/link");  // the same file through a link
  }

  std::string journal() const { return dir.file("journal"); }

  // Runs the row over fresh targets, then takes the run back: every target is
  // as it was.
  Seen run(const Row& row, size_t workers, long cancelAt = -1) {
    makeTargets();
    std::filesystem::remove_all(journal());
    std::vector<std::string> original;
    for (const std::string& t : targets) original.push_back(ReadFile(t));
    const Seen seen = runJournalled(row, workers, cancelAt);
    const std::atomic<bool> cancel{false};
    FileStatus status;
    UndoLastRun(SystemFileLayer(), journal(), cancel, status);
    EXPECT_TRUE(status.ok() || status.code == ENOENT) << status.text;
    std::vector<std::string> undone;
    for (const std::string& t : targets) undone.push_back(ReadFile(t));
    EXPECT_EQ(undone, original) << "the run is taken back whole";
    return seen;
  }

  Seen runJournalled(const Row& row, size_t workers, long cancelAt) {
    test::FakeHost host;
    JournalWriter writer(SystemFileLayer(), journal(), host);
    JournalledFiles files(SystemFileLayer(), writer);
    RunContext ctx(host, files);
    ctx.targets = targets;
    ctx.options.BkupEdit = static_cast<int16_t>(row.bkupEdit);
    ctx.options.SelAddSts = 1;
    ctx.options.codePage = CodePageSetting::Auto();
    ctx.workers = workers;
    ctx.ComboRun = row.steps.size() > 1;
    if (ctx.ComboRun) {
      ctx.steps = row.steps;
    } else {
      ctx.StepArr = SplitStepLine(row.steps.front());
      if (ctx.StepArr.field(1) == "0") ctx.StepArr.add("0");
    }
    host.onSelect = [&](int index) {
      if (index == cancelAt) ctx.CancelFlag = true;
    };
    writer.setDrop(DropFoldersOf(ctx));
    const RunReport report = RunAll(ctx);
    writer.finish();
    Seen seen;
    for (size_t i = 0; i < kTargets; ++i) {
      seen.files.push_back(ReadFile(targets[i]));
      for (OutName kind : {OutName::Backup, OutName::Result}) {
        const std::string derived = MakeOutName(ctx.options, targets[i], kind);
        seen.files.push_back(FileExists(derived) ? ReadFile(derived) : "-");
      }
      seen.outcomes.push_back(report.targets[i].outcome);
      seen.reasons.push_back(report.targets[i].reason);
    }
    seen.boxes = host.texts();
    seen.codePages = host.codePages;
    seen.selected = host.selected;
    seen.endedByError = report.endedByError;
    seen.temporaries =
        test::TemporariesIn(dir.file("data")) + test::TemporariesIn(dir.file("data/sub"));
    return seen;
  }

  test::TempDir dir;
  std::vector<std::string> targets;
};

const Row kRows[] = {
    {"replacement", {"0,0,abc,0,XYZ,#"}},
    {"replacement, backups kept", {"0,0,abc,0,XYZ,#"}, 1},
    {"numbering", {"2,0,0,2,0,0,,001,1,#"}},
    {"extraction", {"4,abc,True,,True,,#"}},
    {"COMBO!!", {"0,0,abc,0,XYZ,#", "5,1,0,0,0,1,#", "4,XYZ,True,,True,,#"}},
    // A start number that is none ends the run at the first target.
    {"an error that ends the run", {"2,0,0,2,0,0,,x1,1,#"}},
};

TEST_F(PreparedAhead, DoesWhatTheRunDoesOneTargetAfterAnother) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const Seen alone = run(row, 1);
    EXPECT_EQ(alone.temporaries, 0);
    for (size_t workers : {2, 5}) {
      SCOPED_TRACE(std::to_string(workers) + " workers");
      ExpectSame(run(row, workers), alone);
    }
  }
}

// The user cancels while the run shows target k: the targets before it are done,
// k and those after it keep their content and are not reached, whatever the
// workers had prepared for them; nothing of theirs is left behind.
TEST_F(PreparedAhead, ACancelAtOneTargetLeavesItAndTheRestAsTheyWere) {
  const Row& row = kRows[0];
  const Seen untouched = [&] {
    makeTargets();
    Seen s;
    for (const std::string& t : targets) s.files.push_back(ReadFile(t));
    return s;
  }();
  for (long k : {0L, 9L, 33L}) {
    SCOPED_TRACE("cancelled at " + std::to_string(k));
    const Seen seen = run(row, 4, k);
    const Seen alone = run(row, 1, k);
    for (size_t i = static_cast<size_t>(k); i < kTargets; ++i) {
      // The link at 30 leads to target 3, 20 is 5 again: done before a k past them.
      if ((i == 30 && k > 3) || (i == 20 && k > 5)) continue;
      EXPECT_EQ(seen.files[3 * i], untouched.files[i]) << i;
      EXPECT_EQ(seen.outcomes[i], TargetOutcome::NotReached) << i;
    }
    ExpectSame(seen, alone);
  }
}

}  // namespace
}  // namespace kadrel
