// KadrelPreview: what a run would do, before START. The run is made over a file
// layer that writes nothing; the files it would change stream into a list as the
// run reaches them (named from the folder they were dropped in), the changed
// lines of the chosen one beside it (removed lines red, added lines green, in
// colours made from the desktop's palette), with a progress bar and "中断". The
// boxes the run would show are listed below instead of popping up. Once through,
// the summary tells from the run's report what the run would do to every listed
// file: rewrite it (changed, or with the bytes it holds: a replacement that finds
// nothing with the option to update anyway, a step that changes nothing; 元に戻す
// offers as many), leave it as it is, skip it, fail on it.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/host.h"
#include "run/preview/preview_run.h"
#include "run/run_report.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTextBrowser;

namespace kadrel::ui {

class PreviewDialog : public QDialog, public PreviewSink {
  Q_OBJECT
 public:
  explicit PreviewDialog(QWidget* parent = nullptr);

  // Runs the preview (work) with the dialog showing its progress; cancel asks it
  // to stop. descText: the run's description; targets: the listed files, with
  // their scan roots (TargetListResult).
  void runWork(const QString& descText, std::vector<std::string> targets,
               const std::vector<size_t>& scanRoots, const std::function<RunReport()>& work,
               std::function<void()> cancel);
  // The run was refused before it started: the listed boxes tell why.
  void showRefused();

  // What the preview's Host reports.
  void addBox(const MessageBoxRequest& box);
  void fileStarted(int index);
  void showProgress(const RunProgress& progress);

  void fileStarted(const ChangedFile& file) override;
  void hunkLine(char kind, size_t oldNumber, size_t newNumber, std::string_view line) override;
  void hunkDone(const Hunk& hunk) override;
  void fileDone(const ChangedFile& file) override;

  bool running() const { return running_; }

  // What the run would do to the listed files (once it is through).
  struct Counts {
    int changed = 0;     // rewritten with a new content
    int sameBytes = 0;   // rewritten with the content they hold
    int untouched = 0;   // left as they are (an extraction reads them)
    int skipped = 0;     // left as they are on purpose, with a box
    int failed = 0;      // left as they are after a failure
    int notReached = 0;  // the preview was stopped before them
    int rewritten() const { return changed + sameBytes; }
  };
  Counts counts() const;

  // Changed lines shown per file, and files listed; the rest is counted.
  static constexpr size_t kChangedLinesShown = 500;
  static constexpr int kFilesListed = 2000;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  void changeEvent(QEvent* event) override;

 private:
  void showFile(int row);
  void updateSummary();
  QString shownPath(const std::string& path) const;

  bool running_ = false;
  bool cancelled_ = false;
  std::function<void()> cancel_;
  QString descText_;
  std::vector<std::string> targets_;
  std::string dropFolder_;  // the list names files from here
  int processed_ = 0;       // listed files the run has reached
  std::set<std::string> changedPaths_;
  std::optional<RunReport> report_;  // once the run is through
  int results_ = 0, boxes_ = 0, notListed_ = 0;
  std::vector<QString> pages_;     // the view of each listed file
  std::vector<QString> headings_;  // its path and counts
  struct Page {                    // of the file being compared
    CodePage codePage = CodePage::UTF8;
    QString html, hunkRows;  // the hunks given, the rows of the one being given
    size_t changedShown = 0, changesLeftOut = 0;
  } page_;

  QLabel* LblPreviewMsg_;
  QProgressBar* fileBar_;
  QLabel* LblPreviewSummary_;
  QListWidget* fileList_;
  QLabel* LblPreviewFile_;
  QTextBrowser* diffView_;
  QListWidget* boxList_;
  QPushButton* BtnCancel_;
  QPushButton* BtnClose_;
};

// The Host of a preview: boxes go to the dialog's list (problem boxes answered
// OK, so that every problem is listed), progress to the dialog; yielding and
// marking the file in the list go to the window's Host.
class PreviewHost : public Host {
 public:
  PreviewHost(Host& window, PreviewDialog& dialog) : window_(window), dialog_(dialog) {}

  BoxAnswer showMessage(const MessageBoxRequest& request) override;
  void yield() override { window_.yield(); }
  void setProgress(const RunProgress& progress) override { dialog_.showProgress(progress); }
  void selectTarget(int index) override;

 private:
  Host& window_;
  PreviewDialog& dialog_;
};

}  // namespace kadrel::ui
