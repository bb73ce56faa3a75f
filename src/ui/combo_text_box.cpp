#include "ui/combo_text_box.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace kadrel::ui {

QStringList DroppedLocalPaths(const QMimeData* data) {
  QStringList paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  return paths;
}

ComboTextBox::ComboTextBox(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void ComboTextBox::dragEnterEvent(QDragEnterEvent* event) {
  if (DroppedLocalPaths(event->mimeData()).isEmpty()) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void ComboTextBox::dragMoveEvent(QDragMoveEvent* event) {
  if (DroppedLocalPaths(event->mimeData()).isEmpty()) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void ComboTextBox::dropEvent(QDropEvent* event) {
  const QStringList paths = DroppedLocalPaths(event->mimeData());
  if (paths.isEmpty()) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
  emit filesDropped(paths);
}

}  // namespace kadrel::ui
