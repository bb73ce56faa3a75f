// START: the checks, the step from the window, the run dialog and the tidying
// after it; the shared input history; the COMBO!! text export.
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>

#include "combo/combo_export.h"
#include "combo/mode_names.h"
#include "core/text/case_fold.h"
#include "run/prepare_run.h"
#include "run/run_driver.h"
#include "settings/input_history.h"
#include "ui/main_window.h"
#include "ui/mode_pages.h"
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

void MainWindow::StartRun() {
  RunRequest request;
  request.options = options_;
  request.programFolder = programFolder_;
  request.listEntries = List1_->entries();
  request.listScanRoots = List1_->scanRoots();
  request.combo = comboModeShown();
  request.comboSteps = combo_.steps;
  request.comboText = combo_.text;
  request.page = pageValues();
  request.multiLineReplacement = pages_->multiLineReplacement();
  PreparedRun prepared = PrepareRun(host_, files_, request);
  if (!prepared.ready) return;

  RunContext& ctx = *prepared.context;
  {
    RunDialog dialog(
        ToQString(ctx.DescText), ctx.targets.size() != 1, [&ctx] { RunAll(ctx); },
        [&ctx] { ctx.CancelFlag = true; }, this);
    runningDialog_ = &dialog;
    runDialog_(dialog);
    runningDialog_ = nullptr;
  }

  unsetCursor();
  MergeInputHistory();
  raise();
  activateWindow();
  const int c = List1_->count();
  Label2_->setText(c == 0 ? QString() : QString::number(c));
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
