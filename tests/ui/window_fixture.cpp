#include "window_fixture.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QPushButton>
#include <QUrl>

namespace kadrel::test {

WindowFixture::WindowFixture(const std::function<void(const std::string&)>& before) {
  if (before) before(programFolder_.path());
  create();
}

WindowFixture::~WindowFixture() {
  if (window_) window_->close();
}

void WindowFixture::create() {
  window_ = std::make_unique<ui::MainWindow>(host_, programFolder_.path());
  window_->setHelpFolder(QString());
  window_->setDialogRunner([this](QDialog& dialog) {
    ++dialogsRun_;
    if (scripts_.empty()) return static_cast<int>(QDialog::Rejected);
    auto script = std::move(scripts_.front());
    scripts_.erase(scripts_.begin());
    return script(dialog);
  });
}

void WindowFixture::onDialog(std::function<int(QDialog&)> script) {
  scripts_.push_back(std::move(script));
}

void WindowFixture::restart() {
  window_->close();
  window_.reset();
  create();
}

void DropPaths(QWidget* target, const QStringList& paths) {
  QWidget* receiver = target;
  if (auto* area = qobject_cast<QAbstractScrollArea*>(target)) receiver = area->viewport();
  QMimeData mime;
  QList<QUrl> urls;
  for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
  mime.setUrls(urls);
  const QPoint at = receiver->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(receiver, &enter);
  QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(receiver, &drop);
}

void ClickButton(QDialog& dialog, const char* name) {
  auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
  if (button != nullptr) button->click();
}

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace kadrel::test
