// The mode pages of the main window's bottom panel: one page of parameter
// controls per processing mode, exactly one visible, with the enable rules that
// hang on the controls' change notifications.
//
// Object names are the controls' names. An element of a control array is named
// by the array name followed by its index ("ChkTab0", "OptAfterAct1",
// "ModePage9"); where the array name itself ends in a digit, an underscore comes
// between ("Label1_3", "Frame2_0", "Picture3_1").
#pragma once

#include <QStackedWidget>
#include <array>

#include "settings/mode_settings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace kadrel::ui {

class ComboTextBox;

class ModePages : public QStackedWidget {
  Q_OBJECT
 public:
  explicit ModePages(QWidget* parent = nullptr);

  // Shows the page of a processing mode (0 to 6; mode 6 shows ModePage9).
  void showMode(int mode);
  QWidget* page(int index) const;  // index 0..5 or 9

  // Fills the fixed item lists of ColCombo, AddCombo, SpColCombo, StartCombo and
  // SkipCombo, each emptied first.
  void fillFixedLists();
  // Resets the fields that Clear resets to their cleared values.
  void clearValues();

  // The seven free-text fields that share the input history, in history order:
  // inTrimChr, inChangeChr, inStartChr, inEndChr, inSrcChr0, inSrcChr1, inSrcChr2.
  std::array<QComboBox*, 7> historyFields() const;

  // The pages' values (ModeIdx left at 0: the mode is the window's), and the
  // other way, every value but ModeIdx applied in the order of the stored keys.
  ModeSettings settings() const;
  void applySettings(const ModeSettings& settings);

  // Page 0: string replacement.
  QCheckBox* ChkTab[2] = {};
  QCheckBox* ChkCR1 = nullptr;
  QCheckBox* ChkLF1 = nullptr;
  QComboBox* inTrimChr = nullptr;
  QComboBox* inChangeChr = nullptr;
  QRadioButton* OptAfterAct[2] = {};
  QPlainTextEdit* TxtAfterWord = nullptr;

  // Page 2: line head/tail.
  QRadioButton* OptPosition[2] = {};
  QComboBox* ColCombo = nullptr;
  QComboBox* AddCombo = nullptr;
  QRadioButton* StringOption[2] = {};
  QComboBox* SpColCombo = nullptr;
  QLineEdit* StringText = nullptr;
  QComboBox* StartCombo = nullptr;
  QComboBox* SkipCombo = nullptr;

  // Page 3: keyword range.
  QComboBox* inStartChr = nullptr;
  QComboBox* inEndChr = nullptr;

  // Page 4: multi-string lines.
  QComboBox* inSrcChr[3] = {};
  QRadioButton* m4ChkAND[2] = {};
  QRadioButton* m4ChkOR[2] = {};

  // Page 5: blank lines and spaces.
  QCheckBox* OptLineDel = nullptr;
  QCheckBox* OptSPLineDel = nullptr;
  QCheckBox* ChkLeft = nullptr;
  QCheckBox* ChkAll = nullptr;
  QCheckBox* ChkRight = nullptr;

  // Page 9: COMBO!!.
  ComboTextBox* TextCombo = nullptr;

 public slots:
  // The enable rules.
  void replacementChoiceChanged();
  void UpdateReplaceControls();
  void UpdateStringControls();
  void UpdateNumberingControls();

 private:
  QWidget* buildReplacePage();
  QWidget* buildLineEndPage();
  QWidget* buildHeadTailPage();
  QWidget* buildKeywordPage();
  QWidget* buildMultiStringPage();
  QWidget* buildBlankPage();
  QWidget* buildComboPage();
  void connectRules();

  QWidget* pages_[7] = {};  // ModePage0..5, ModePage9
};

}  // namespace kadrel::ui
