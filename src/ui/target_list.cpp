#include "ui/target_list.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <set>

#include "core/target_list.h"
#include "text/case_fold.h"
#include "ui/file_drops.h"
#include "ui/look.h"
#include "ui/qt_text.h"
#include "ui/shown_paths.h"

namespace kadrel::ui {

namespace {

bool IsPlaceholder(const QString& entry) {
  return EqualsIgnoreCase(ToUtf8(entry), ToUtf8(kTargetPlaceholder));
}

// Paints each entry shortened to the list's width (ElidePath); its size asks
// for no width, so the list never scrolls sideways.
class PathDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  // The text an entry shows in option's rectangle.
  QString shownText(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    if (IsPlaceholder(opt.text)) return opt.text;
    const QWidget* widget = opt.widget;
    const QStyle* style = widget != nullptr ? widget->style() : nullptr;
    if (style == nullptr) return opt.text;
    // The style leaves a margin on either side of the text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &opt, widget) + 1;
    const int width =
        style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).width() - 2 * margin;
    return ElidePath(opt.text, opt.fontMetrics, width);
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    opt.text = shownText(option, index);
    opt.textElideMode = Qt::ElideNone;
    const QWidget* widget = opt.widget;
    widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {1, QStyledItemDelegate::sizeHint(option, index).height()};
  }
};

}  // namespace

TargetList::TargetList(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("List1"));
  setFont(MonoFont(11.25));
  // Several entries may be picked and taken out at once.
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setItemDelegate(new PathDelegate(this));
  setUniformItemSizes(true);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setDropIndicatorShown(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

std::vector<std::string> TargetList::entries() const {
  std::vector<std::string> out;
  out.reserve(static_cast<size_t>(count()));
  for (int i = 0; i < count(); ++i) out.push_back(PathFromQString(item(i)->text()));
  return out;
}

namespace {
constexpr int kScanRootRole = Qt::UserRole;
constexpr int kDroppedFolderRole = Qt::UserRole + 1;
}  // namespace

void TargetList::setFiles(const std::vector<std::string>& paths,
                          const std::vector<size_t>& scanRoots,
                          const DroppedFolders& droppedFolders) {
  clear();
  append(paths, scanRoots, droppedFolders);
}

// Appends the entries at once (a drop may bring tens of thousands).
void TargetList::append(const std::vector<std::string>& paths, const std::vector<size_t>& scanRoots,
                        const DroppedFolders& droppedFolders) {
  const int first = count();
  QStringList entries;
  entries.reserve(static_cast<qsizetype>(paths.size()));
  for (const std::string& f : paths) entries << PathToQString(f);
  addItems(entries);
  for (size_t i = 0; i < scanRoots.size() && i < paths.size(); ++i) {
    item(first + static_cast<int>(i))
        ->setData(kScanRootRole, QVariant::fromValue<qulonglong>(scanRoots[i]));
  }
  for (size_t i = 0; i < droppedFolders.size() && i < paths.size(); ++i) {
    if (droppedFolders[i])
      item(first + static_cast<int>(i))
          ->setData(kDroppedFolderRole, QVariant::fromValue(droppedFolders[i]));
  }
}

TargetList::Added TargetList::addFiles(const std::vector<std::string>& paths,
                                       const std::vector<size_t>& scanRoots,
                                       const DroppedFolders& droppedFolders) {
  std::set<std::string> listed;
  if (holdsFiles()) {
    for (const std::string& entry : entries()) listed.insert(entry);
  } else if (std::any_of(paths.begin(), paths.end(), [](const auto& p) { return !p.empty(); })) {
    clear();  // the placeholder line
  }
  Added added;
  std::vector<std::string> newPaths;
  std::vector<size_t> newRoots;
  DroppedFolders newFolders;
  for (size_t i = 0; i < paths.size(); ++i) {
    if (listed.count(paths[i]) != 0) continue;
    if (static_cast<size_t>(count()) + newPaths.size() >= kMaxTargetEntries) {
      added.full = true;
      break;
    }
    listed.insert(paths[i]);
    newPaths.push_back(paths[i]);
    newRoots.push_back(i < scanRoots.size() ? scanRoots[i] : 0);
    newFolders.push_back(i < droppedFolders.size() ? droppedFolders[i] : nullptr);
  }
  append(newPaths, newRoots, newFolders);
  added.count = newPaths.size();
  return added;
}

std::vector<size_t> TargetList::scanRoots() const {
  std::vector<size_t> out;
  out.reserve(static_cast<size_t>(count()));
  for (int i = 0; i < count(); ++i)
    out.push_back(static_cast<size_t>(item(i)->data(kScanRootRole).toULongLong()));
  return out;
}

TargetList::DroppedFolders TargetList::droppedFolders() const {
  DroppedFolders out;
  out.reserve(static_cast<size_t>(count()));
  for (int i = 0; i < count(); ++i) {
    out.push_back(item(i)->data(kDroppedFolderRole).value<std::shared_ptr<const DroppedFolder>>());
  }
  return out;
}

bool TargetList::holdsFiles() const {
  return count() > 0 && !IsPlaceholder(item(0)->text());
}

bool TargetList::hasSelectedFile() const {
  return !selectedFileRows().empty();
}

std::vector<int> TargetList::selectedFileRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
    if (!IsPlaceholder(index.data().toString())) rows.push_back(index.row());
  }
  std::sort(rows.rbegin(), rows.rend());
  return rows;
}

QString TargetList::shownText(int row, int width) const {
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = QRect(0, 0, width, visualRect(model()->index(row, 0)).height());
  return static_cast<const PathDelegate*>(itemDelegate())
      ->shownText(option, model()->index(row, 0));
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

// The right button selects the entry under it first, as everywhere on the
// desktop, unless that entry is part of the selection already; below the last
// entry it leaves nothing selected. The popup then acts on what it points at.
void TargetList::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) {
    QListWidget::mousePressEvent(event);
    return;
  }
  event->accept();
  QListWidgetItem* under = itemAt(event->position().toPoint());
  if (under == nullptr) {
    clearSelection();
  } else if (under->isSelected()) {
    selectionModel()->setCurrentIndex(indexFromItem(under), QItemSelectionModel::NoUpdate);
  } else {
    setCurrentItem(under, QItemSelectionModel::ClearAndSelect);
  }
}

void TargetList::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    event->accept();
    if (hasSelectedFile()) emit popupRequested(event->globalPosition().toPoint());
    return;
  }
  QListWidget::mouseReleaseEvent(event);
}

// From the keyboard (the menu key, Shift+F10) the popup opens below the
// current entry. The mouse's own request is answered on the button's release.
void TargetList::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  if (event->reason() == QContextMenuEvent::Mouse || !hasSelectedFile()) return;
  QListWidgetItem* at = currentItem();
  if (at == nullptr || !at->isSelected()) at = item(selectedFileRows().back());
  scrollToItem(at);
  const QRect shown = visualItemRect(at);
  emit popupRequested(viewport()->mapToGlobal(QPoint(shown.left() + 16, shown.bottom())));
}

// Not every platform turns these keys into a context menu request.
void TargetList::keyPressEvent(QKeyEvent* event) {
  const bool menuKey = event->key() == Qt::Key_Menu ||
                       (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
  if (!menuKey) {
    QListWidget::keyPressEvent(event);
    return;
  }
  QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos());
  contextMenuEvent(&request);
  event->accept();
}

bool TargetList::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const QListWidgetItem* under = itemAt(help->pos());
    if (under != nullptr && !IsPlaceholder(under->text())) {
      QToolTip::showText(help->globalPos(), under->text(), viewport(), visualItemRect(under));
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QListWidget::viewportEvent(event);
}

}  // namespace kadrel::ui
