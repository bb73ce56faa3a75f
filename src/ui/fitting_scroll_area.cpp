#include "ui/fitting_scroll_area.h"

#include <QLayout>
#include <QScreen>
#include <QScrollBar>

namespace kadrel::ui {

FittingScrollArea::FittingScrollArea(QWidget* content, const QLayout* below, QWidget* parent)
    : QScrollArea(parent), below_(below) {
  setWidget(content);
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QSize FittingScrollArea::sizeHint() const {
  QSize size = widget()->sizeHint();
  const QScreen* shownOn = screen();
  if (shownOn == nullptr) return size;
  // What is below, the margins and spacing around, and the window's title bar.
  const int rest = below_->sizeHint().height() + 6 * fontMetrics().height();
  const int room = shownOn->availableGeometry().height() - rest;
  if (size.height() > room) {
    size.setHeight(std::max(room, 4 * fontMetrics().height()));
    size.rwidth() += verticalScrollBar()->sizeHint().width();
  }
  return size;
}

}  // namespace kadrel::ui
