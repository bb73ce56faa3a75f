// Drops of files from a file manager, shared by the target list and the COMBO!!
// text box: local file URLs, in the order of the dragged data, as a copy.
#pragma once

#include <QStringList>

class QDropEvent;
class QMimeData;

namespace kadrel::ui {

// The local file paths the data offers; empty when it offers no file list.
QStringList DroppedLocalPaths(const QMimeData* data);

// Accepts a drag or a drop that offers local files, as a copy, and returns their
// paths; ignores any other and returns none.
QStringList AcceptFileDrop(QDropEvent* event);

}  // namespace kadrel::ui
