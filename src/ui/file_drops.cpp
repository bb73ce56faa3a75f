#include "ui/file_drops.h"

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

QStringList AcceptFileDrop(QDropEvent* event) {
  QStringList paths = DroppedLocalPaths(event->mimeData());
  if (paths.isEmpty()) {
    event->ignore();
  } else {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  }
  return paths;
}

}  // namespace kadrel::ui
