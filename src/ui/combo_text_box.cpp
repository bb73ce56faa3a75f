#include "ui/combo_text_box.h"

#include "ui/file_drops.h"

namespace kadrel::ui {

ComboTextBox::ComboTextBox(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void ComboTextBox::dragEnterEvent(QDragEnterEvent* event) {
  AcceptFileDrop(event);
}

void ComboTextBox::dragMoveEvent(QDragMoveEvent* event) {
  AcceptFileDrop(event);
}

void ComboTextBox::dropEvent(QDropEvent* event) {
  const QStringList paths = AcceptFileDrop(event);
  if (!paths.isEmpty()) emit filesDropped(paths);
}

}  // namespace kadrel::ui
