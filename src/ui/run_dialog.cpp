#include "ui/run_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/host.h"
#include "ui/look.h"
#include "ui/qt_text.h"
#include "ui/wrapping_label.h"

namespace kadrel::ui {

RunDialog::RunDialog(const QString& descText, bool cancelEnabled, std::function<void()> run,
                     std::function<void()> cancel, QWidget* parent)
    : QDialog(parent),
      descText_(descText),
      cancelEnabled_(cancelEnabled),
      run_(std::move(run)),
      cancel_(std::move(cancel)) {
  setObjectName(QStringLiteral("KadrelWait"));
  setWindowTitle(QStringLiteral(" Kadrel"));
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  // The question and the progress text wrap beyond this many characters a line.
  constexpr int kMaxLineCharacters = 44;
  LblWaitMsg_ = new WrappingLabel(kMaxLineCharacters, this);
  LblWaitMsg_->setObjectName(QStringLiteral("LblWaitMsg"));
  LblWaitMsg_->setText(ShownText(ToUtf8(descText)) +
                       QStringLiteral("開始します\nよろしいですか？"));

  // The bars count what is done: they start empty and are full at the end.
  fileBar_ = new QProgressBar(this);
  fileBar_->setObjectName(QStringLiteral("ProgressFiles"));
  fileBar_->setFormat(QString::fromUtf8(kDoneFormat));
  fileBar_->hide();
  stepBar_ = new QProgressBar(this);
  stepBar_->setObjectName(QStringLiteral("ProgressSteps"));
  stepBar_->setFormat(QString::fromUtf8(kDoneFormat));
  stepBar_->hide();
  LblCodePage_ = new QLabel(this);
  LblCodePage_->setObjectName(QStringLiteral("LblCodePage"));
  LblCodePage_->hide();

  BtnYes_ = new QPushButton(QStringLiteral("はい"), this);
  BtnYes_->setObjectName(QStringLiteral("BtnYes"));
  BtnYes_->setDefault(true);
  BtnNo_ = new QPushButton(QStringLiteral("いいえ"), this);
  BtnNo_->setObjectName(QStringLiteral("BtnNo"));
  BtnCancel_ = new QPushButton(QStringLiteral("中断"), this);
  BtnCancel_->setObjectName(QStringLiteral("BtnCancel"));
  BtnCancel_->hide();

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(BtnYes_);
  buttons->addWidget(BtnNo_);
  buttons->addWidget(BtnCancel_);
  buttons->addStretch(1);

  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(18, 16, 18, 14);
  box->setSpacing(10);
  box->addWidget(LblWaitMsg_);
  box->addWidget(fileBar_);
  box->addWidget(stepBar_);
  box->addWidget(LblCodePage_);
  box->addLayout(buttons);

  connect(BtnYes_, &QPushButton::clicked, this, &RunDialog::confirm);
  connect(BtnNo_, &QPushButton::clicked, this, &QDialog::reject);
  connect(BtnCancel_, &QPushButton::clicked, this, [this] {
    if (cancel_) cancel_();
  });
}

void RunDialog::confirm() {
  LblWaitMsg_->setText(ShownText(ToUtf8(descText_)) + QStringLiteral("処理中です..."));
  BtnYes_->hide();
  BtnNo_->hide();
  BtnCancel_->show();
  BtnCancel_->setEnabled(cancelEnabled_);
  fitToContents();
  LblWaitMsg_->repaint();
  running_ = true;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  if (run_) run_();
  QApplication::restoreOverrideCursor();
  running_ = false;
  accept();
}

void RunDialog::showProgress(const RunProgress& progress) {
  if (!progress.text.empty()) LblWaitMsg_->setText(ShownText(progress.text));
  if (progress.fileCount > 0) {
    fileBar_->setMaximum(progress.fileCount);
    fileBar_->setValue(std::min(progress.fileIndex, progress.fileCount));
    fileBar_->show();
  }
  if (progress.stepCount > 0) {
    stepBar_->setMaximum(progress.stepCount);
    stepBar_->setValue(std::min(progress.stepIndex, progress.stepCount));
    stepBar_->show();
  } else {
    stepBar_->hide();
  }
  fitToContents();
}

void RunDialog::showCodePage(const QString& codePage) {
  LblCodePage_->setText(QStringLiteral("文字コード: ") + codePage);
  LblCodePage_->show();
  fitToContents();
}

// The dialog grows at once to show the whole text: the run repaints it before it
// next lets Qt handle the layout's own request.
void RunDialog::fitToContents() {
  layout()->activate();
}

// While the work runs, closing the window (close box, Escape) means "中断".
void RunDialog::closeEvent(QCloseEvent* event) {
  if (running_) {
    event->ignore();
    if (cancelEnabled_ && cancel_) cancel_();
    return;
  }
  QDialog::closeEvent(event);
}

void RunDialog::reject() {
  if (running_) {
    if (cancelEnabled_ && cancel_) cancel_();
    return;
  }
  QDialog::reject();
}

}  // namespace kadrel::ui
