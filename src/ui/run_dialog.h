// KadrelWait: the modal run dialog. It asks for confirmation, runs the given work
// on "はい", shows the progress text and bars while it runs, and offers "中断".
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kadrel {
struct RunProgress;
}

namespace kadrel::ui {

// The text of a progress bar that counts what is done.
inline constexpr const char* kDoneFormat = "処理済み %v / %m";

class RunDialog : public QDialog {
  Q_OBJECT
 public:
  // descText is the run description; run does the work; cancel asks it to stop.
  // cancelEnabled: whether "中断" may be pressed (not for a single file).
  RunDialog(const QString& descText, bool cancelEnabled, std::function<void()> run,
            std::function<void()> cancel, QWidget* parent = nullptr);

  // Shows the progress of the running work: the message and the counters.
  void showProgress(const RunProgress& progress);

  // With the code page option "auto": the code page of the file in progress.
  void showCodePage(const QString& codePage);

  bool running() const { return running_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void confirm();
  void fitToContents();

  QString descText_;
  bool cancelEnabled_;
  std::function<void()> run_;
  std::function<void()> cancel_;
  bool running_ = false;

  QLabel* LblWaitMsg_;
  QProgressBar* fileBar_;
  QProgressBar* stepBar_;
  QLabel* LblCodePage_;
  QPushButton* BtnYes_;
  QPushButton* BtnNo_;
  QPushButton* BtnCancel_;
};

}  // namespace kadrel::ui
