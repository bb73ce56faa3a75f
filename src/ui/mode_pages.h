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
#include <QStringList>
#include <array>
#include <string>
#include <vector>

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
  // The replacement page takes its replacement from the string fields
  // ("置換後の文字列"), as at start-up.
  void chooseReplacementString();

  // The pages' values (ModeIdx left at 0: the mode is the window's), and the
  // other way, every value but ModeIdx applied in the order of the stored keys.
  ModeSettings settings() const;
  void applySettings(const ModeSettings& settings);

  // Whether the replacement is the multi-line text ("置換後の文章"), and that
  // text with its lines joined by CR LF.
  bool multiLineChosen() const;
  std::string multiLineReplacement() const;

  // The input history shared by the seven free-text fields (inTrimChr,
  // inChangeChr, inStartChr, inEndChr, inSrcChr0 to 2, in this order): their
  // texts, the entries they offer, and new entries for all of them (their texts
  // stay).
  std::vector<std::string> historyTexts() const;
  std::vector<std::string> historyEntries() const;
  void offerHistory(const std::vector<std::string>& entries);

  // TextCombo's text; CR and CR LF end its lines.
  void showComboText(const std::string& text);

 signals:
  // COMBO!! files dropped on TextCombo, in the order of the drop.
  void comboFilesDropped(const QStringList& paths);
  // The COMBO!! page's button asks for a file dialog.
  void comboFilesWanted();

 private slots:
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
  std::array<QComboBox*, 7> historyFields() const;

  QWidget* pages_[7] = {};  // ModePage0..5, ModePage9

  // Page 0: string replacement.
  QCheckBox* ChkTab_[2] = {};
  QCheckBox* ChkCR1_ = nullptr;
  QCheckBox* ChkLF1_ = nullptr;
  QComboBox* inTrimChr_ = nullptr;
  QComboBox* inChangeChr_ = nullptr;
  QRadioButton* OptAfterAct_[2] = {};
  QPlainTextEdit* TxtAfterWord_ = nullptr;

  // Page 2: line head/tail.
  QRadioButton* OptPosition_[2] = {};
  QComboBox* ColCombo_ = nullptr;
  QComboBox* AddCombo_ = nullptr;
  QRadioButton* StringOption_[2] = {};
  QComboBox* SpColCombo_ = nullptr;
  QLineEdit* StringText_ = nullptr;
  QComboBox* StartCombo_ = nullptr;
  QComboBox* SkipCombo_ = nullptr;

  // Page 3: keyword range.
  QComboBox* inStartChr_ = nullptr;
  QComboBox* inEndChr_ = nullptr;

  // Page 4: multi-string lines.
  QComboBox* inSrcChr_[3] = {};
  QRadioButton* m4ChkAND_[2] = {};
  QRadioButton* m4ChkOR_[2] = {};

  // Page 5: blank lines and spaces.
  QCheckBox* OptLineDel_ = nullptr;
  QCheckBox* OptSPLineDel_ = nullptr;
  QCheckBox* ChkLeft_ = nullptr;
  QCheckBox* ChkAll_ = nullptr;
  QCheckBox* ChkRight_ = nullptr;

  // Page 9: COMBO!!.
  ComboTextBox* TextCombo_ = nullptr;
};

}  // namespace kadrel::ui
