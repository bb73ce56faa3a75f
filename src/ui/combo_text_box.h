// TextCombo: the read-only COMBO!! text box, which accepts files dropped from a
// file manager and hands their paths on in the order of the drop.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>

namespace kadrel::ui {

class ComboTextBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit ComboTextBox(QWidget* parent = nullptr);

  // The text box's text as plain text, line ends as shown.
  QString text() const { return toPlainText(); }

 signals:
  void filesDropped(const QStringList& paths);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

}  // namespace kadrel::ui
