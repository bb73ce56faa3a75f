// The target file list of the main window: drops, files and folders added from
// file dialogs, removal of the selected files, and the COMBO!! file dialog.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>

#include "core/target_list.h"
#include "settings/recent_list.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/target_list.h"
#include "ui/window_texts.h"

namespace kadrel::ui {

namespace {

std::vector<std::string> Paths(const QStringList& paths) {
  std::vector<std::string> out;
  out.reserve(static_cast<size_t>(paths.size()));
  for (const QString& p : paths) out.push_back(PathFromQString(p));
  return out;
}

}  // namespace

void MainWindow::dropTargets(const QStringList& paths) {
  raise();
  activateWindow();
  List1_->clear();
  List1_->hide();
  const TargetListResult list = BuildTargetList(Paths(paths), options_);
  List1_->setFiles(list.paths, list.scanRoots, list.droppedFolders);
  List1_->show();
  updateStartState();
  for (const std::string& note : LeftOutNotes(list)) message(note);
}

// Unlike a drop, a choice in a file dialog adds to the list: the dialog shows one
// folder at a time, so a list of files from several folders is made in steps.
void MainWindow::addTargets(const QStringList& paths) {
  if (paths.isEmpty()) return;
  TargetListResult list = BuildTargetList(Paths(paths), options_);
  const TargetList::Added added = List1_->addFiles(list.paths, list.scanRoots, list.droppedFolders);
  updateStartState();
  list.truncated = list.truncated || added.full;
  for (const std::string& note : LeftOutNotes(list)) message(note);
  if (added.count == 0 && !list.leftOut()) message(kNothingAddedText);
}

void MainWindow::removeSelectedTargets() {
  const std::vector<int> rows = List1_->selectedFileRows();  // last first
  if (rows.empty()) return;
  if (rows.size() == 1) {
    delete List1_->takeItem(rows.front());
  } else {  // one rebuild, not one shift of the rows below per file
    const std::vector<std::string> entries = List1_->entries();
    const std::vector<size_t> entryRoots = List1_->scanRoots();
    const TargetList::DroppedFolders entryFolders = List1_->droppedFolders();
    std::vector<bool> removed(entries.size());
    for (int row : rows) removed[static_cast<size_t>(row)] = true;
    std::vector<std::string> paths;
    std::vector<size_t> roots;
    TargetList::DroppedFolders folders;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (removed[i]) continue;
      paths.push_back(entries[i]);
      roots.push_back(entryRoots[i]);
      folders.push_back(entryFolders[i]);
    }
    List1_->setFiles(paths, roots, folders);
  }
  // Nothing stays selected, so that a second 対象から外す cannot remove a file the
  // user never picked; the keyboard goes on from the first file removed.
  List1_->clearSelection();
  if (List1_->count() == 0) {
    List1_->addItem(kTargetPlaceholder);
    List1_->setCurrentItem(nullptr);
    updateStartState();
    return;
  }
  const QModelIndex next = List1_->model()->index(std::min(rows.back(), List1_->count() - 1), 0);
  List1_->selectionModel()->setCurrentIndex(next, QItemSelectionModel::NoUpdate);
  List1_->scrollTo(next);
  updateStartState();
}

// A file dialog opens where the last one was left, else in the folder of the
// first listed file, else in the home folder.
QString MainWindow::dialogFolder() const {
  if (!chosenFolder_.isEmpty()) return chosenFolder_;
  if (List1_->holdsFiles()) return QFileInfo(List1_->item(0)->text()).absolutePath();
  return QDir::homePath();
}

QStringList MainWindow::runFileDialog(QFileDialog& dialog, const QString& folder) {
  dialog.setDirectory(folder);
  if (runDialog_(dialog) != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

void MainWindow::chooseTargetFiles() {
  QFileDialog dialog(this, QStringLiteral("対象ファイルを追加"));
  dialog.setObjectName(QStringLiteral("AddFilesDialog"));
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setLabelText(QFileDialog::Accept, QStringLiteral("追加"));
  const QStringList chosen = runFileDialog(dialog, dialogFolder());
  if (!chosen.isEmpty()) chosenFolder_ = dialog.directory().absolutePath();
  addTargets(chosen);
}

void MainWindow::chooseTargetFolder() {
  QFileDialog dialog(this, QStringLiteral("対象フォルダを追加"));
  dialog.setObjectName(QStringLiteral("AddFolderDialog"));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setLabelText(QFileDialog::Accept, QStringLiteral("追加"));
  const QStringList chosen = runFileDialog(dialog, dialogFolder());
  if (!chosen.isEmpty()) chosenFolder_ = QFileInfo(chosen.front()).absolutePath();
  addTargets(chosen);
}

// Files chosen here are loaded as if dropped on TextCombo. The dialog opens in
// the folder of the COMBO!! file used last.
void MainWindow::chooseComboFiles() {
  QFileDialog dialog(this, QStringLiteral("COMBO!!ファイルを開く"));
  dialog.setObjectName(QStringLiteral("OpenComboDialog"));
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters(
      {QStringLiteral("テキスト ファイル (*.txt *.TXT)"), QStringLiteral("すべてのファイル (*)")});
  const std::vector<std::string> recent = RecentMenuItems(recent_);
  const QString folder =
      recent.empty() ? dialogFolder() : QFileInfo(PathToQString(recent.front())).absolutePath();
  const QStringList paths = runFileDialog(dialog, folder);
  if (!paths.isEmpty()) dropComboFiles(paths);
}

}  // namespace kadrel::ui
