// List1: the target file list. It takes files and folders dropped from a file
// manager and asks for its popup menu on a right-button release; the main window
// decides what both mean.
#pragma once

#include <QListWidget>
#include <QStringList>
#include <string>
#include <vector>

#include "run/start_checks.h"

namespace kadrel::ui {

// The line the list shows while it holds no file.
inline const QString kTargetPlaceholder = QString::fromUtf8(kadrel::kTargetPlaceholder);

class TargetList : public QListWidget {
  Q_OBJECT
 public:
  explicit TargetList(QWidget* parent = nullptr);

  // Every entry, first to last, as the file system spells the paths.
  std::vector<std::string> entries() const;
  // Replaces the entries by a drop's files, each with its scan root.
  void setFiles(const std::vector<std::string>& paths, const std::vector<size_t>& scanRoots);
  // Per entry, how far links in its path are followed (see TargetListResult).
  std::vector<size_t> scanRoots() const;
  // True when the list holds file names (not empty, not the placeholder line).
  bool holdsFiles() const;
  // True when an entry is selected and it is not the placeholder line.
  bool hasSelectedFile() const;

 signals:
  void pathsDropped(const QStringList& paths);
  void popupRequested(const QPoint& globalPosition);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace kadrel::ui
