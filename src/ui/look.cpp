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
  QPalette palette = field->palette();
  const QColor background = enabled
                                ? QColor(Qt::white)
                                : QApplication::palette().color(QPalette::Active, QPalette::Button);
  palette.setColor(QPalette::Base, background);
  field->setPalette(palette);
  field->setEnabled(enabled);
}

bool HasWhiteBackground(const QWidget* field) {
  return field->palette().color(QPalette::Active, QPalette::Base) == QColor(Qt::white);
}

QString ShownText(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

}  // namespace kadrel::ui
