// A label for messages of any length: its plain text wraps at word boundaries
// where it can and anywhere else where it must (a long search text without
// spaces), so the whole text always shows. It asks for the width of its longest
// line, up to a cap, and for the height the text needs at that width; a window
// holding it in a layout grows to show all of its text.
#pragma once

#include <QFont>
#include <QLabel>
#include <QTextDocument>

namespace kadrel::ui {

class WrappingLabel : public QLabel {
  Q_OBJECT
 public:
  // maxLineCharacters: the widest line it asks for, in full-width characters.
  explicit WrappingLabel(int maxLineCharacters, QWidget* parent = nullptr);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Lays the text out again when it or the font has changed since the last call
  // (a run repaints the label after every file).
  void layOut() const;
  int maxLineWidth() const;

  int maxLineCharacters_;
  mutable QTextDocument document_;
  mutable QString laidOutText_;
  mutable QFont laidOutFont_;
  mutable QSize fittedSize_;
  mutable bool laidOut_ = false;
};

}  // namespace kadrel::ui
