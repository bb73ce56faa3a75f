#include "ui/wrapping_label.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QScreen>
#include <QTextOption>
#include <QtMath>
#include <algorithm>

namespace kadrel::ui {

WrappingLabel::WrappingLabel(int maxLineCharacters, QWidget* parent)
    : QLabel(parent), maxLineCharacters_(maxLineCharacters) {
  setTextFormat(Qt::PlainText);
  document_.setDocumentMargin(0);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  document_.setDefaultTextOption(option);
}

// A number of full-width characters, never more than most of the screen.
int WrappingLabel::maxLineWidth() const {
  const int characters = fontMetrics().horizontalAdvance(QChar(0x3042)) * maxLineCharacters_;
  const QScreen* shownOn = screen();
  if (shownOn == nullptr) return characters;
  return std::min(characters, shownOn->availableGeometry().width() * 3 / 4);
}

void WrappingLabel::layOut() const {
  if (laidOut_ && laidOutText_ == text() && laidOutFont_ == font()) return;
  laidOutText_ = text();
  laidOutFont_ = font();
  document_.setDefaultFont(laidOutFont_);
  document_.setPlainText(laidOutText_);
  document_.setTextWidth(-1);
  const int width = std::min(qCeil(document_.idealWidth()), maxLineWidth());
  document_.setTextWidth(width);
  fittedSize_ = QSize(width, qCeil(document_.size().height()));
  laidOut_ = true;
}

QSize WrappingLabel::sizeHint() const {
  layOut();
  const QMargins margins = contentsMargins();
  return fittedSize_.grownBy(margins);
}

QSize WrappingLabel::minimumSizeHint() const {
  return sizeHint();
}

void WrappingLabel::paintEvent(QPaintEvent* /*event*/) {
  layOut();
  const QRect area = contentsRect();
  if (document_.textWidth() != area.width()) document_.setTextWidth(area.width());
  QPainter painter(this);
  painter.translate(area.topLeft());
  QAbstractTextDocumentLayout::PaintContext context;
  context.palette = palette();
  context.palette.setColor(QPalette::Text, palette().color(foregroundRole()));
  context.clip = QRectF(0, 0, area.width(), area.height());
  document_.documentLayout()->draw(&painter, context);
}

}  // namespace kadrel::ui
