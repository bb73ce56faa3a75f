#include "ui/diff_colors.h"

#include <QPalette>
#include <cmath>

namespace kadrel::ui {

namespace {

// A channel of sRGB, linear.
double Linear(int channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& color) {
  const QColor c = color.toRgb();
  return 0.2126 * Linear(c.red()) + 0.7152 * Linear(c.green()) + 0.0722 * Linear(c.blue());
}

// from, with amount (0..1) of to mixed in.
QColor Mix(const QColor& from, const QColor& to, double amount) {
  const QColor a = from.toRgb(), b = to.toRgb();
  const auto channel = [amount](int x, int y) {
    return static_cast<int>(std::lround(x + (y - x) * amount));
  };
  return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                channel(a.blue(), b.blue()));
}

// The preferred colour where it reads on background, else black or white,
// whichever reads better (one of them always reaches 4.5:1).
QColor ReadableOn(const QColor& background, const QColor& preferred) {
  if (ContrastRatio(preferred, background) >= kMinimumContrast) return preferred;
  const QColor black(Qt::black), white(Qt::white);
  return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
}

// wanted, moved toward text (which reads on background) until it reads too.
QColor TowardReadable(const QColor& wanted, const QColor& text, const QColor& background) {
  constexpr int kSteps = 10;
  for (int step = 0; step < kSteps; ++step) {
    const QColor c = Mix(wanted, text, static_cast<double>(step) / kSteps);
    if (ContrastRatio(c, background) >= kMinimumContrast) return c;
  }
  return text;
}

RowColors Row(const QColor& background, const QColor& text, const QColor& markHue) {
  RowColors row;
  row.background = background;
  row.text = ReadableOn(background, text);
  row.muted = TowardReadable(Mix(row.text, background, 0.45), row.text, background);
  row.mark = TowardReadable(markHue, row.text, background);
  return row;
}

QString Rule(const QString& selector, const QColor& text, const QColor& background) {
  QString rule = selector + QStringLiteral(" { color: ") + text.name();
  if (background.isValid()) rule += QStringLiteral("; background-color: ") + background.name();
  return rule + QStringLiteral(" }\n");
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

DiffColors DiffColorsFor(const QPalette& palette) {
  const QColor base = palette.color(QPalette::Active, QPalette::Base);
  const QColor text = palette.color(QPalette::Active, QPalette::Text);
  // On a dark base a tint must be stronger to be seen.
  const bool dark = Luminance(base) < Luminance(text);
  const double tint = dark ? 0.30 : 0.13;
  const QColor red(0xd1, 0x24, 0x2f), green(0x1a, 0x7f, 0x37), blue(0x09, 0x69, 0xda);
  DiffColors colors;
  colors.equal = Row(base, text, text);
  colors.removed = Row(Mix(base, red, tint), text, red);
  colors.added = Row(Mix(base, green, tint), text, green);
  colors.hunk = Row(Mix(base, blue, tint * 0.7), text, blue);
  return colors;
}

QString DiffStyleSheet(const DiffColors& colors) {
  QString sheet;
  const std::pair<const char*, const RowColors*> rows[] = {
      {"e", &colors.equal}, {"r", &colors.removed}, {"a", &colors.added}, {"h", &colors.hunk}};
  for (const auto& [kind, row] : rows) {
    const QString k = QString::fromLatin1(kind);
    sheet += Rule(QStringLiteral("td.") + k, row->text, row->background);
    sheet += Rule(QStringLiteral("td.") + k + QStringLiteral("n"), row->muted, row->background);
    sheet += Rule(QStringLiteral("td.") + k + QStringLiteral("m"), row->mark, row->background);
    sheet += Rule(QStringLiteral("span.") + k + QStringLiteral("x"), row->muted, QColor());
  }
  return sheet;
}

}  // namespace kadrel::ui
