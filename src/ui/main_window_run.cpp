// START: the checks, the step from the window, the run dialog and the tidying
// after it; the shared input history; the COMBO!! text export.
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QRadioButton>

#include "combo/combo_export.h"
#include "combo/mode_names.h"
#include "combo/step_from_page.h"
#include "core/run_driver.h"
#include "core/start_checks.h"
#include "core/text/case_fold.h"
#include "settings/input_history.h"
#include "ui/main_window.h"
#include "ui/mode_pages.h"
#include "ui/run_dialog.h"
#include "ui/target_list.h"

namespace kadrel::ui {

namespace {

bool IsComboModeText(const QString& modeText) {
  return EqualsIgnoreCase(modeText.toStdString(), kModeNames[kComboMode]);
}

}  // namespace

void MainWindow::StartRun() {
  const bool comboMode = IsComboModeText(modeCombo_->currentText());
  const std::string refusal = CheckStart(List1_->entries(), comboMode, combo_.text);
  if (!refusal.empty()) {
    message(refusal);
    return;
  }
  ctx_.ComboRun = comboMode;
  if (!BuildStepFromWindow()) return;

  ctx_.targets = List1_->entries();
  ctx_.steps = combo_.steps;
  {
    RunDialog dialog(
        QString::fromStdString(ctx_.DescText), ctx_.targets.size() != 1, [this] { RunAll(ctx_); },
        [this] { ctx_.CancelFlag = true; }, this);
    ctx_.CancelFlag = false;
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

bool MainWindow::BuildStepFromWindow() {
  PageValues page;
  page.settings = pages_->settings();
  page.settings.ModeIdx = static_cast<int16_t>(modeCombo_->currentIndex());
  if (IsComboModeText(modeCombo_->currentText())) page.settings.ModeIdx = kComboMode;
  page.multiLineReplacement = !pages_->OptAfterAct[0]->isChecked();
  page.multiLineText = host_.multiLineReplacement();
  BuiltStep built = BuildStepFromPage(host_, page, ctx_.options.codePage,
                                      static_cast<size_t>(List1_->count()), combo_.steps.size());
  ctx_.StepArr = built.step;
  if (!built.ready) return false;
  ctx_.DescText = built.descText;
  return true;
}

void MainWindow::MergeInputHistory() {
  const auto fields = pages_->historyFields();
  std::vector<std::string> texts;
  for (QComboBox* field : fields) texts.push_back(field->currentText().toStdString());
  std::vector<std::string> history;
  for (int i = 0; i < fields[0]->count(); ++i)
    history.push_back(fields[0]->itemText(i).toStdString());

  const std::vector<std::string> merged = kadrel::MergeInputHistory(texts, history);
  QStringList items;
  for (const std::string& s : merged) items << QString::fromStdString(s);
  for (size_t i = 0; i < fields.size(); ++i) {
    fields[i]->clear();
    fields[i]->addItems(items);
    fields[i]->setEditText(QString::fromStdString(texts[i]));
  }
}

void MainWindow::exportComboText() {
  if (modeCombo_->currentIndex() == kComboMode) {
    host_.showMessage(ExportRefusalBox());
    return;
  }
  if (!BuildStepFromWindow()) return;
  QInputDialog box(this);
  box.setObjectName(QStringLiteral("ExportBox"));
  box.setInputMode(QInputDialog::TextInput);
  box.setWindowTitle(QString::fromUtf8(kExportTitle));
  box.setLabelText(
      QString::fromUtf8(kExportPrompt).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  box.setTextValue(QString::fromStdString(BuildExportLine(ctx_.StepArr)));
  box.setOkButtonText(QStringLiteral("OK"));
  box.setCancelButtonText(QStringLiteral("キャンセル"));
  box.resize(std::max(box.sizeHint().width(), 480), box.sizeHint().height());
  runDialog_(box);
}

}  // namespace kadrel::ui
