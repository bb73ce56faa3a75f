// A scroll area for the content of a dialog that asks for the whole content's
// size, as far as the screen has room beside the rest of the dialog: at a large
// font or scale the dialog stays on the screen (its buttons with it) and its
// content scrolls instead of running off the screen.
#pragma once

#include <QScrollArea>

namespace kadrel::ui {

class FittingScrollArea : public QScrollArea {
  Q_OBJECT
 public:
  // below: what the dialog shows below the content (its buttons).
  FittingScrollArea(QWidget* content, const QLayout* below, QWidget* parent = nullptr);

  QSize sizeHint() const override;

 private:
  const QLayout* below_;
};

}  // namespace kadrel::ui
