// The window's look: the stand-in fonts for the classic Japanese system fonts and
// the white / button-face backgrounds that tell enabled fields from disabled ones.
#pragma once

#include <QFont>
#include <QString>
#include <string>

class QWidget;

namespace kadrel::ui {

// Monospaced Japanese font ("ＭＳ ゴシック"): Noto Sans Mono CJK JP, else the system's.
QFont MonoFont(double pointSize);
// Proportional Japanese font ("ＭＳ Ｐゴシック"): Noto Sans CJK JP, else the system's.
QFont ProportionalFont(double pointSize);

// Enables or disables an input field and gives it a white background when enabled,
// the button-face colour when disabled.
void SetFieldEnabled(QWidget* field, bool enabled);

// Whether the field currently shows the white (enabled) background.
bool HasWhiteBackground(const QWidget* field);

// Gives a widget its object name (the control's name, which tests find it by).
template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace kadrel::ui
