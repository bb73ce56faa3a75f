#include "ui/look.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPalette>
#include <QWidget>

namespace kadrel::ui {

namespace {

QFont FontWithFallback(const QString& family, double pointSize, bool fixedPitch) {
  QFont font = QApplication::font();
  if (QFontDatabase::families().contains(family)) {
    font.setFamily(family);
  } else if (fixedPitch) {
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  }
  font.setPointSizeF(pointSize);
  return font;
}

}  // namespace

QFont MonoFont(double pointSize) {
  return FontWithFallback(QStringLiteral("Noto Sans Mono CJK JP"), pointSize, true);
}

QFont ProportionalFont(double pointSize) {
  return FontWithFallback(QStringLiteral("Noto Sans CJK JP"), pointSize, false);
}

void SetFieldEnabled(QWidget* field, bool enabled) {
  // Enabled: no colour of its own, so that it follows the desktop's palette as the
  // fields without enable rules do (a dark scheme would otherwise show white
  // fields beside dark ones).
  QPalette palette;
  if (!enabled) {
    const QPalette desktop = QApplication::palette(field);
    palette.setColor(QPalette::Base, desktop.color(QPalette::Active, QPalette::Button));
    palette.setColor(QPalette::Text, desktop.color(QPalette::Disabled, QPalette::ButtonText));
  }
  field->setPalette(palette);
  field->setEnabled(enabled);
}

bool HasInputBackground(const QWidget* field) {
  return field->palette().color(QPalette::Active, QPalette::Base) ==
         QApplication::palette(field).color(QPalette::Active, QPalette::Base);
}

}  // namespace kadrel::ui
