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

namespace {

template <typename W>
W* Find(QWidget& window, const QString& name) {
  W* widget = window.findChild<W*>(name);
  if (widget == nullptr) qFatal("no control named %s", qPrintable(name));
  return widget;
}

}  // namespace

PageControls::PageControls(QWidget& window) : window_(window) {
  auto find = [&]<typename W>(W*& control, const char* name) {
    control = Find<W>(window, QString::fromLatin1(name));
  };
  find(pages, "ModePages");
  find(ChkTab[0], "ChkTab0");
  find(ChkTab[1], "ChkTab1");
  find(ChkCR1, "ChkCR1");
  find(ChkLF1, "ChkLF1");
  find(inTrimChr, "inTrimChr");
  find(inChangeChr, "inChangeChr");
  find(OptAfterAct[0], "OptAfterAct0");
  find(OptAfterAct[1], "OptAfterAct1");
  find(TxtAfterWord, "TxtAfterWord");
  find(OptPosition[0], "OptPosition0");
  find(OptPosition[1], "OptPosition1");
  find(ColCombo, "ColCombo");
  find(AddCombo, "AddCombo");
  find(StringOption[0], "StringOption0");
  find(StringOption[1], "StringOption1");
  find(SpColCombo, "SpColCombo");
  find(StringText, "StringText");
  find(StartCombo, "StartCombo");
  find(SkipCombo, "SkipCombo");
  find(inStartChr, "inStartChr");
  find(inEndChr, "inEndChr");
  find(inSrcChr[0], "inSrcChr0");
  find(inSrcChr[1], "inSrcChr1");
  find(inSrcChr[2], "inSrcChr2");
  find(m4ChkAND[0], "m4ChkAND0");
  find(m4ChkAND[1], "m4ChkAND1");
  find(m4ChkOR[0], "m4ChkOR0");
  find(m4ChkOR[1], "m4ChkOR1");
  find(OptLineDel, "OptLineDel");
  find(OptSPLineDel, "OptSPLineDel");
  find(ChkLeft, "ChkLeft");
  find(ChkAll, "ChkAll");
  find(ChkRight, "ChkRight");
  find(TextCombo, "TextCombo");
}

QWidget* PageControls::page(int index) const {
  return Find<QWidget>(window_, QStringLiteral("ModePage%1").arg(index));
}

std::array<QComboBox*, 7> PageControls::historyFields() const {
  return {inTrimChr, inChangeChr, inStartChr, inEndChr, inSrcChr[0], inSrcChr[1], inSrcChr[2]};
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

QStringList Entries(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace kadrel::test
