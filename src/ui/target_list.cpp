#include "ui/target_list.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "text/case_fold.h"
#include "ui/file_drops.h"
#include "ui/look.h"
#include "ui/qt_text.h"

namespace kadrel::ui {

namespace {

bool IsPlaceholder(const QString& entry) {
  return EqualsIgnoreCase(ToUtf8(entry), ToUtf8(kTargetPlaceholder));
}

}  // namespace

TargetList::TargetList(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("List1"));
  setFont(MonoFont(11.25));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setTextElideMode(Qt::ElideNone);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setDropIndicatorShown(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

std::vector<std::string> TargetList::entries() const {
  std::vector<std::string> out;
  out.reserve(static_cast<size_t>(count()));
  for (int i = 0; i < count(); ++i) out.push_back(PathFromQString(item(i)->text()));
  return out;
}

void TargetList::setFiles(const std::vector<std::string>& paths,
                          const std::vector<size_t>& scanRoots) {
  QStringList entries;
  entries.reserve(static_cast<qsizetype>(paths.size()));
  for (const std::string& f : paths) entries << PathToQString(f);
  addItems(entries);
  for (size_t i = 0; i < scanRoots.size() && i < paths.size(); ++i)
    item(static_cast<int>(i))->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(scanRoots[i]));
}

std::vector<size_t> TargetList::scanRoots() const {
  std::vector<size_t> out;
  out.reserve(static_cast<size_t>(count()));
  for (int i = 0; i < count(); ++i)
    out.push_back(static_cast<size_t>(item(i)->data(Qt::UserRole).toULongLong()));
  return out;
}

bool TargetList::holdsFiles() const {
  return count() > 0 && !IsPlaceholder(item(0)->text());
}

bool TargetList::hasSelectedFile() const {
  const QListWidgetItem* current = currentItem();
  return current != nullptr && current->isSelected() && !IsPlaceholder(current->text());
}

void TargetList::dragEnterEvent(QDragEnterEvent* event) {
  AcceptFileDrop(event);
}

void TargetList::dragMoveEvent(QDragMoveEvent* event) {
  AcceptFileDrop(event);
}

void TargetList::dropEvent(QDropEvent* event) {
  const QStringList paths = AcceptFileDrop(event);
  if (!paths.isEmpty()) emit pathsDropped(paths);
}

// The right button does not move the selection: the popup acts on the entry that
// was selected before.
void TargetList::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  QListWidget::mousePressEvent(event);
}

void TargetList::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    event->accept();
    if (hasSelectedFile()) emit popupRequested(event->globalPosition().toPoint());
    return;
  }
  QListWidget::mouseReleaseEvent(event);
}

}  // namespace kadrel::ui
