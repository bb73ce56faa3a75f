// List1: the target file list. It takes files and folders dropped from a file
// manager and asks for its popup menu on a right-button release (the button
// first selects the entry under it) or from the keyboard (the menu key,
// Shift+F10); the main window decides what both mean. Long paths are shortened
// in their folder part, the file name always shown, the whole path as the
// entry's tooltip.
#pragma once

#include <QListWidget>
#include <QMetaType>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "io/file_layer.h"
#include "run/start_checks.h"

Q_DECLARE_METATYPE(std::shared_ptr<const kadrel::DroppedFolder>)

namespace kadrel::ui {

// The line the list shows while it holds no file.
inline const QString kTargetPlaceholder = QString::fromUtf8(kadrel::kTargetPlaceholder);

class TargetList : public QListWidget {
  Q_OBJECT
 public:
  explicit TargetList(QWidget* parent = nullptr);

  // Every entry, first to last, as the file system spells the paths.
  std::vector<std::string> entries() const;
  // Where listed files are reached: per path, its scan root and the dropped
  // folder it is reached through (see TargetListResult). The folders stay open
  // as long as their files are listed.
  using DroppedFolders = std::vector<std::shared_ptr<const DroppedFolder>>;
  // Replaces the entries by a drop's files.
  void setFiles(const std::vector<std::string>& paths, const std::vector<size_t>& scanRoots,
                const DroppedFolders& droppedFolders);
  // Appends the files not listed yet, as far as the list has room (the
  // placeholder line goes first).
  struct Added {
    size_t count = 0;
    bool full = false;  // files were left out for want of room
  };
  Added addFiles(const std::vector<std::string>& paths, const std::vector<size_t>& scanRoots,
                 const DroppedFolders& droppedFolders);
  // Per entry, how far links in its path are followed, and the dropped folder it
  // is reached through (null: a file named as it is).
  std::vector<size_t> scanRoots() const;
  DroppedFolders droppedFolders() const;
  // True when the list holds file names (not empty, not the placeholder line).
  bool holdsFiles() const;
  // True when a file entry (not the placeholder line) is selected.
  bool hasSelectedFile() const;
  // The rows of the selected file entries, last first.
  std::vector<int> selectedFileRows() const;

  // What an entry shows in a width of pixels.
  QString shownText(int row, int width) const;

 signals:
  void pathsDropped(const QStringList& paths);
  void popupRequested(const QPoint& globalPosition);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  void append(const std::vector<std::string>& paths, const std::vector<size_t>& scanRoots,
              const DroppedFolders& droppedFolders);
};

}  // namespace kadrel::ui
