// The window's look: the stand-in fonts for the classic Japanese system fonts and
// the backgrounds that tell enabled fields from disabled ones.
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

// Enables or disables an input field: enabled, it shows the desktop's input
// background (white in a light scheme) and text colour like every other field;
// disabled, the button-face colour.
void SetFieldEnabled(QWidget* field, bool enabled);

// Whether the field currently shows the desktop's input background.
bool HasInputBackground(const QWidget* field);

// Gives a widget its object name (the control's name, which tests find it by).
template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace kadrel::ui
