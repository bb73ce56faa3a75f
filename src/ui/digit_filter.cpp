#include "ui/digit_filter.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace kadrel::ui {

void DigitFilter::Install(QComboBox* combo) {
  QLineEdit* edit = combo->lineEdit();
  if (edit == nullptr) return;
  edit->installEventFilter(new DigitFilter(edit));
  // Text that arrives without key presses (an input method, a paste) is held to
  // digits as well.
  edit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
}

bool DigitFilter::Accepts(const QString& typed) {
  for (QChar c : typed) {
    if (c == QChar(8)) continue;
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
  }
  return true;
}

bool DigitFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    // Shortcuts (copy, select all, ...) carry a modifier and no typed character of
    // their own; they pass. Everything that would type a character is checked.
    // Focus keys and Delete type no character either.
    const bool shortcut =
        key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool noCharacter =
        key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Delete;
    if (!shortcut && !noCharacter && !Accepts(key->text())) {
      QApplication::beep();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kadrel::ui
