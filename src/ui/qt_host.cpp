#include "ui/qt_host.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "ui/look.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/run_dialog.h"
#include "ui/target_list.h"

namespace kadrel::ui {

namespace {

QMessageBox::Icon IconOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Critical:
      return QMessageBox::Critical;
    case BoxIcon::Question:
      return QMessageBox::Question;
    case BoxIcon::Exclamation:
      return QMessageBox::Warning;
    case BoxIcon::Information:
      return QMessageBox::Information;
    case BoxIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

QtHost::QtHost() {
  sinceLastPump_.start();
}

BoxAnswer QtHost::showMessage(const MessageBoxRequest& request) {
  QWidget* parent = QApplication::activeModalWidget();
  if (parent == nullptr) parent = window_;
  QMessageBox box(parent);
  box.setWindowTitle(request.title.empty() ? QStringLiteral("Kadrel") : ToQString(request.title));
  box.setText(ShownText(request.text));
  box.setTextFormat(Qt::PlainText);
  box.setIcon(IconOf(request.icon));

  struct Choice {
    const char16_t* caption;
    QMessageBox::ButtonRole role;
    BoxAnswer answer;
  };
  std::vector<Choice> choices;
  switch (request.buttons) {
    case BoxButtons::Ok:
      choices = {{u"OK", QMessageBox::AcceptRole, BoxAnswer::Ok}};
      break;
    case BoxButtons::OkCancel:
      choices = {{u"OK", QMessageBox::AcceptRole, BoxAnswer::Ok},
                 {u"キャンセル", QMessageBox::RejectRole, BoxAnswer::Cancel}};
      break;
    case BoxButtons::YesNo:
      choices = {{u"はい(&Y)", QMessageBox::YesRole, BoxAnswer::Yes},
                 {u"いいえ(&N)", QMessageBox::NoRole, BoxAnswer::No}};
      break;
  }
  std::vector<QPushButton*> buttons;
  for (const Choice& c : choices) {
    QPushButton* b = box.addButton(QString::fromUtf16(c.caption), c.role);
    buttons.push_back(b);
    if (c.answer == request.defaultAnswer) box.setDefaultButton(b);
  }
  // The close box answers as Cancel would, or as the only / the "No" button.
  box.setEscapeButton(buttons.back());

  QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  QApplication::restoreOverrideCursor();
  sinceLastPump_.restart();

  for (size_t i = 0; i < buttons.size(); ++i) {
    if (box.clickedButton() == buttons[i]) return choices[i].answer;
  }
  return choices.back().answer;
}

void QtHost::yield() {
  if (sinceLastPump_.elapsed() < kYieldIntervalMs) return;
  QCoreApplication::processEvents();
  sinceLastPump_.restart();
}

void QtHost::setProgress(const RunProgress& progress) {
  if (window_ == nullptr) return;
  if (RunDialog* dialog = window_->runDialog()) {
    dialog->showProgress(progress);
    dialog->repaint();
  }
}

// The list marks the file in progress; the dialog names its code page.
void QtHost::showCodePage(const std::string& /*path*/, const std::string& codePage) {
  if (window_ == nullptr) return;
  if (RunDialog* dialog = window_->runDialog()) {
    dialog->showCodePage(QString::fromStdString(codePage));
    dialog->repaint();
  }
}

void QtHost::selectTarget(int index) {
  if (window_ == nullptr) return;
  TargetList* list = window_->targetList();
  if (index < 0 || index >= list->count()) return;
  list->setCurrentRow(index);
  list->scrollToItem(list->item(index), QAbstractItemView::PositionAtTop);
}

}  // namespace kadrel::ui
