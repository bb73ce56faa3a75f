// KadrelFo: the options dialog. It edits the run options and the pattern names in
// memory; OK checks them (messages through the Host) before storing.
#pragma once

#include <QDialog>
#include <functional>

#include "core/host.h"
#include "core/run_options.h"
#include "settings/option_checks.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace kadrel::ui {

class OptionsDialog : public QDialog {
  Q_OBJECT
 public:
  // resetTargetList runs when OK stores a changed extension pattern.
  OptionsDialog(Host& host, RunOptions& options, std::function<void()> resetTargetList,
                QWidget* parent = nullptr);

  // The controls' values, and the other way.
  OptionDialogValues values() const;
  void setValues(const OptionDialogValues& values);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ok();
  void clear();
  void updateSamples();

  Host& host_;
  RunOptions& options_;
  std::function<void()> resetTargetList_;

  QLineEdit* TextOptSts_;
  QCheckBox* ChkCompMode_;
  QLineEdit* inFrChrBK_;
  QLineEdit* inToChrBK_;
  QLineEdit* inFrChr_;
  QLineEdit* inToChr_;
  QLabel* LblSammple_[2];
  QCheckBox* chkUpdateNoFile_;
  QCheckBox* chkUndoJournal_;
  QCheckBox* chkBKUPEdit_;
  QCheckBox* ChkSelAddSts_;
  QCheckBox* ChkAddLineNo_;
  QCheckBox* ChkSelFile_;
  QLineEdit* TxtPtnName_[3];
  QComboBox* CodePage_;
};

}  // namespace kadrel::ui
