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
  QPalette palette = QApplication::palette(field);
  if (enabled) {
    // White under any desktop palette, so its text is black: a dark palette would
    // otherwise write light text on it.
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::PlaceholderText, Qt::darkGray);
  } else {
    palette.setColor(QPalette::Base, palette.color(QPalette::Active, QPalette::Button));
  }
  field->setPalette(palette);
  field->setEnabled(enabled);
}

bool HasWhiteBackground(const QWidget* field) {
  return field->palette().color(QPalette::Active, QPalette::Base) == QColor(Qt::white);
}

}  // namespace kadrel::ui
