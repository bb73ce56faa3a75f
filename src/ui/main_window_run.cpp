// START: the checks, the step from the window, the run dialog and the tidying
// after it; the shared input history; the COMBO!! text export.
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QStatusBar>
#include <cerrno>

#include "combo/combo_export.h"
#include "combo/mode_names.h"
#include "run/ordered_work.h"
#include "run/prepare_run.h"
#include "run/preview/preview_files.h"
#include "run/run_driver.h"
#include "run/undo/journal_folder.h"
#include "run/undo/journalled_files.h"
#include "run/undo/undo_run.h"
#include "settings/input_history.h"
#include "text/case_fold.h"
#include "ui/main_window.h"
#include "ui/mode_pages.h"
#include "ui/preview_dialog.h"
#include "ui/qt_text.h"
#include "ui/run_dialog.h"
#include "ui/target_list.h"

namespace kadrel::ui {

// COMBO!! mode is recognised by the mode choice's text, as the checks of START do.
bool MainWindow::comboModeShown() const {
  return EqualsIgnoreCase(ToUtf8(modeCombo_->currentText()), ModeName(StepMode::Combo));
}

PageValues MainWindow::pageValues() const {
  PageValues page;
  page.settings = currentModeSettings();
  if (comboModeShown()) page.settings.ModeIdx = static_cast<int16_t>(ModeNumber(StepMode::Combo));
  page.multiLineReplacement = pages_->multiLineChosen();
  return page;
}

RunRequest MainWindow::runRequest() const {
  RunRequest request;
  request.options = options_;
  request.listEntries = List1_->entries();
  request.listScanRoots = List1_->scanRoots();
  request.listDroppedFolders = List1_->droppedFolders();
  request.combo = comboModeShown();
  request.comboSteps = combo_.steps;
  request.comboText = combo_.text;
  request.page = pageValues();
  request.multiLineReplacement = pages_->multiLineReplacement();
  return request;
}

void MainWindow::StartRun() {
  // The files the run replaces are kept, so that 元に戻す can take the run back
  // (unless the options say not to keep them).
  JournalWriter journal(
      files_, UndoFolderOf(programFolder_), host_,
      options_.UndoJournal != 0 ? JournalWriter::Mode::Keep : JournalWriter::Mode::Off);
  JournalledFiles files(files_, journal);
  RunRequest request = runRequest();
  request.workers = WorkersOfMachine();
  PreparedRun prepared = PrepareRun(host_, files, request);
  if (!prepared.ready) return;

  RunContext& ctx = *prepared.context;
  journal.describe(JournalDescription(ctx, combo_.text));
  journal.setDrop(DropFoldersOf(ctx));
  RunReport report;
  {
    RunDialog dialog(
        ToQString(ctx.DescText), ctx.targets.size() != 1,
        [&] {
          report = RunAll(ctx);
          journal.finish();
        },
        [&ctx] { ctx.CancelFlag = true; }, this);
    runningDialog_ = &dialog;
    runDialog_(dialog);
    runningDialog_ = nullptr;
  }
  journal.addTo(report);
  if (!journal.notice().empty()) {
    MessageBoxRequest notice;
    notice.text = journal.notice();
    notice.icon = BoxIcon::Information;
    host_.showMessage(notice);
  }
  statusBar()->showMessage(ToQString(report.summary()));
  // A run that replaced files replaced the journal (or removed it): 元に戻す
  // takes back what the journal holds now.
  updateUndoState();

  unsetCursor();
  MergeInputHistory();
  raise();
  activateWindow();
  const int c = List1_->count();
  Label2_->setText(c == 0 ? QString() : QString::number(c));
}

void MainWindow::showPreview() {
  PreviewDialog dialog(this);
  dialog.setWindowModality(Qt::ApplicationModal);
  PreviewHost host(host_, dialog);
  PreviewFiles files(files_, dialog, options_.codePage);
  dialog.show();
  PreparedRun prepared = PrepareRun(host, files, runRequest());
  if (prepared.ready) {
    RunContext& ctx = *prepared.context;
    dialog.runWork(
        ToQString(ctx.DescText), ctx.targets, ctx.targetScanRoots, [&] { return RunAll(ctx); },
        [&ctx] { ctx.CancelFlag = true; });
  } else {
    dialog.showRefused();
  }
  runDialog_(dialog);
  unsetCursor();
  MergeInputHistory();
  raise();
  activateWindow();
}

void MainWindow::undoLastRun() {
  const std::string folder = UndoFolderOf(programFolder_);
  std::optional<JournalIndex> index;
  {
    JournalFolder journal;
    FileStatus status;
    if (journal.open(folder, JournalFolder::Access::Look, status)) index = journal.readIndex();
    if (!index) {
      // A folder that is not the user's own is named; anything else is nothing to undo.
      host_.showMessage(
          UndoRefusalBox(status.code == kErrJournalNotPrivate ? status : StatusFromErrno(ENOENT)));
      updateUndoState();
      return;
    }
  }
  MessageBoxRequest question;
  question.text = UndoQuestion(*index);
  question.icon = BoxIcon::Question;
  question.buttons = BoxButtons::YesNo;
  question.defaultAnswer = BoxAnswer::No;
  if (host_.showMessage(question) != BoxAnswer::Yes) return;

  setCursor(Qt::WaitCursor);
  const std::atomic<bool> never{false};
  FileStatus journal;
  const UndoOutcome outcome = UndoLastRun(files_, folder, never, journal);
  unsetCursor();
  host_.showMessage(journal.ok() ? UndoOutcomeBox(outcome) : UndoRefusalBox(journal));
  updateUndoState();
}

void MainWindow::updateUndoState() {
  MenuUndo_->setEnabled(ReadJournalIndex(UndoFolderOf(programFolder_)).has_value());
}

void MainWindow::MergeInputHistory() {
  pages_->offerHistory(kadrel::MergeInputHistory(pages_->historyTexts(), pages_->historyEntries()));
}

void MainWindow::exportComboText() {
  if (modeCombo_->currentIndex() == ModeNumber(StepMode::Combo)) {
    host_.showMessage(ExportRefusalBox());
    return;
  }
  const BuiltStep built = BuildStepFromPage(
      host_, pageValues(), pages_->multiLineReplacement(), TextCheckCodePage(options_.codePage),
      static_cast<size_t>(List1_->count()), combo_.steps.size());
  if (!built.ready) return;
  QInputDialog box(this);
  box.setObjectName(QStringLiteral("ExportBox"));
  box.setInputMode(QInputDialog::TextInput);
  box.setWindowTitle(QString::fromUtf8(kExportTitle));
  box.setLabelText(
      QString::fromUtf8(kExportPrompt).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  box.setTextValue(ToQString(BuildExportLine(built.step)));
  box.setOkButtonText(QStringLiteral("OK"));
  box.setCancelButtonText(QStringLiteral("キャンセル"));
  box.resize(std::max(box.sizeHint().width(), 480), box.sizeHint().height());
  runDialog_(box);
}

}  // namespace kadrel::ui
