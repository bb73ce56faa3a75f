// What a run did, target by target: the typed outcome that the CLI's exit status
// and summary line, the window's end of run and its 元に戻す are made from.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/host.h"

namespace kadrel {

enum class TargetOutcome {
  NotReached,  // the run ended (a cancel, an error that ends the run) before it
  Replaced,    // it holds its new content
  Unchanged,   // left as it was: a replacement found nothing (UpdateNoFile off)
  Extracted,   // its extraction is in its result file (or the joint one)
  Skipped,     // left as it was on purpose: a bare LF, a lock, a text its code page
               // cannot hold, a backup name that cannot be used, listed twice
  Failed,      // left as it was after a failure: open, read, write, backup, rename
};

struct TargetReport {
  std::string path;  // as listed
  TargetOutcome outcome = TargetOutcome::NotReached;
  // Why it was skipped or failed: the text of the first box shown for it, or
  // (without a box) what left it alone.
  std::string reason;
};

struct RunReport {
  std::vector<TargetReport> targets;  // in list order
  bool cancelled = false;
  // The text of the critical box of an error that ended the run.
  std::string endedByError;
  int boxes = 0;  // every box the run showed, its targets' and its own
  // Problems of the run that no target owns (its undo journal could not be
  // kept, say), each as its box told it.
  std::vector<std::string> runProblems;

  size_t count(TargetOutcome outcome) const;
  // Nothing to tell: no box, no target failed, no problem of the run. kadrel-cli
  // exits with 0 then.
  bool clean() const;
  // One line for the user: "12 ファイル: 書き換え 9、変更なし 2、スキップ 1"
  // (counts that are 0 left out), "（中断）" after a cancel, and the count of
  // the run's own problems.
  std::string summary() const;
};

// The host of a run: passes everything on to the platform's host and notes each
// box in the report, as the reason of the target in hand.
class ReportingHost : public Host {
 public:
  ReportingHost(Host& platform, RunReport& report) : platform_(platform), report_(report) {}

  // The target that boxes are noted for from now on (none: the run's own).
  void setTarget(size_t index) { target_ = index; }
  void clearTarget() { target_ = kNone; }

  BoxAnswer showMessage(const MessageBoxRequest& request) override;
  void yield() override { platform_.yield(); }
  void setProgress(const RunProgress& progress) override { platform_.setProgress(progress); }
  void selectTarget(int index) override { platform_.selectTarget(index); }
  void showCodePage(const std::string& path, const std::string& codePage) override {
    platform_.showCodePage(path, codePage);
  }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);
  Host& platform_;
  RunReport& report_;
  size_t target_ = kNone;
};

}  // namespace kadrel
