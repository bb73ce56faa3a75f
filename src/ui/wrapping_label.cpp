#include "ui/wrapping_label.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QScreen>
#include <QTextDocument>
#include <QTextOption>
#include <QtMath>
#include <algorithm>

namespace kadrel::ui {

WrappingLabel::WrappingLabel(int maxLineCharacters, QWidget* parent)
    : QLabel(parent), maxLineCharacters_(maxLineCharacters) {
  setTextFormat(Qt::PlainText);
}

void WrappingLabel::prepare(QTextDocument& document) const {
  document.setDocumentMargin(0);
  document.setDefaultFont(font());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  document.setDefaultTextOption(option);
  document.setPlainText(text());
}

// A number of full-width characters, never more than most of the screen.
int WrappingLabel::maxLineWidth() const {
  const int characters = fontMetrics().horizontalAdvance(QChar(0x3042)) * maxLineCharacters_;
  const QScreen* shownOn = screen();
  if (shownOn == nullptr) return characters;
  return std::min(characters, shownOn->availableGeometry().width() * 3 / 4);
}

QSize WrappingLabel::sizeHint() const {
  QTextDocument document;
  prepare(document);
  const int width = std::min(qCeil(document.idealWidth()), maxLineWidth());
  document.setTextWidth(width);
  const QMargins margins = contentsMargins();
  return QSize(width + margins.left() + margins.right(),
               qCeil(document.size().height()) + margins.top() + margins.bottom());
}

QSize WrappingLabel::minimumSizeHint() const {
  return sizeHint();
}

void WrappingLabel::paintEvent(QPaintEvent* /*event*/) {
  const QRect area = contentsRect();
  QTextDocument document;
  prepare(document);
  document.setTextWidth(area.width());
  QPainter painter(this);
  painter.translate(area.topLeft());
  QAbstractTextDocumentLayout::PaintContext context;
  context.palette = palette();
  context.palette.setColor(QPalette::Text, palette().color(foregroundRole()));
  context.clip = QRectF(0, 0, area.width(), area.height());
  document.documentLayout()->draw(&painter, context);
}

}  // namespace kadrel::ui
