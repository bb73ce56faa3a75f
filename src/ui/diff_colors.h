// The preview's colours, made from the palette of the view that shows them, so
// that every line reads in light, dark and high-contrast schemes: each
// background comes with its own text colours, every one of them at a contrast of
// at least 4.5:1 with it (WCAG's level AA for text).
#pragma once

#include <QColor>
#include <QString>

class QPalette;

namespace kadrel::ui {

// WCAG's contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// The least contrast the preview gives any text with its background.
inline constexpr double kMinimumContrast = 4.5;

// The colours of one kind of row.
struct RowColors {
  QColor background;
  QColor text;   // the line
  QColor muted;  // line numbers and line-end marks
  QColor mark;   // "-" or "+"
};

struct DiffColors {
  RowColors equal, removed, added, hunk;
};

// Removed lines tinted red and added lines green over the palette's base
// colour, hunk headings blue; text in the palette's text colour where it reads,
// else in black or white.
DiffColors DiffColorsFor(const QPalette& palette);

// The style sheet of the preview's page for these colours: the cell classes
// "<kind>" (the line), "<kind>n" (line numbers), "<kind>m" (the mark) and the
// span class "<kind>x" (line-end marks), kind one of e, r, a, h.
QString DiffStyleSheet(const DiffColors& colors);

}  // namespace kadrel::ui
