// Digit-only typing for the numeric combo boxes: a typed character other than a
// digit or backspace is discarded and the system beep sounds.
#pragma once

#include <QObject>

class QComboBox;

namespace kadrel::ui {

class DigitFilter : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

  // Installs the filter on the combo box's edit field.
  static void Install(QComboBox* combo);

  // True when a typed text may enter the field: empty (a navigation key), backspace,
  // or digits "0" to "9" only.
  static bool Accepts(const QString& typed);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kadrel::ui
