// The mode pages' behaviour: which page shows, the fixed item lists, the cleared
// values and the enable rules.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "combo/mode_names.h"
#include "ui/look.h"
#include "ui/mode_pages.h"

namespace kadrel::ui {

void ModePages::showMode(int mode) {
  if (mode < 0 || mode > 6) return;
  setCurrentWidget(pages_[mode]);
}

QWidget* ModePages::page(int index) const {
  if (index >= 0 && index <= 5) return pages_[index];
  if (index == 9) return pages_[6];
  return nullptr;
}

void ModePages::fillFixedLists() {
  const auto fill = [](QComboBox* combo, const QStringList& items) {
    combo->clear();
    combo->addItems(items);
  };
  fill(ColCombo_, {QStringLiteral("0"), QStringLiteral("6"), QStringLiteral("10")});
  QStringList actions;
  for (std::string_view action : kHeadTailActions) {
    actions << QString::fromUtf8(action.data(), static_cast<qsizetype>(action.size()));
  }
  fill(AddCombo_, actions);
  fill(SpColCombo_, {QStringLiteral("0"), QStringLiteral("6"), QStringLiteral("10")});
  fill(StartCombo_, {QStringLiteral("000000"), QStringLiteral("000100"), QStringLiteral("001000")});
  fill(SkipCombo_, {QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("100")});
}

void ModePages::clearValues() {
  ChkTab_[0]->setChecked(false);
  inTrimChr_->setEditText(QString());
  ChkTab_[1]->setChecked(false);
  inChangeChr_->setEditText(QString());

  ColCombo_->setCurrentIndex(1);
  ColCombo_->setEditText(ColCombo_->itemText(1));
  AddCombo_->setCurrentIndex(0);
  StringOption_[0]->setChecked(true);
  SpColCombo_->setCurrentIndex(1);
  SpColCombo_->setEditText(SpColCombo_->itemText(1));
  StringText_->clear();
  StartCombo_->setCurrentIndex(1);
  StartCombo_->setEditText(StartCombo_->itemText(1));
  SkipCombo_->setCurrentIndex(2);
  SkipCombo_->setEditText(SkipCombo_->itemText(2));

  inStartChr_->setEditText(QString());
  inEndChr_->setEditText(QString());

  for (QComboBox* field : inSrcChr_) field->setEditText(QString());
  m4ChkAND_[0]->setChecked(true);
  m4ChkAND_[1]->setChecked(true);

  OptLineDel_->setChecked(false);
  OptSPLineDel_->setChecked(false);
  ChkLeft_->setChecked(false);
  ChkAll_->setChecked(false);
  ChkRight_->setChecked(false);
}

std::array<QComboBox*, 7> ModePages::historyFields() const {
  return {inTrimChr_,   inChangeChr_, inStartChr_, inEndChr_,
          inSrcChr_[0], inSrcChr_[1], inSrcChr_[2]};
}

void ModePages::connectRules() {
  for (QRadioButton* option : OptAfterAct_) {
    connect(option, &QRadioButton::toggled, this, [this](bool on) {
      if (on) replacementChoiceChanged();
    });
  }
  for (QCheckBox* box : {ChkTab_[0], ChkTab_[1], ChkCR1_, ChkLF1_}) {
    connect(box, &QCheckBox::toggled, this, &ModePages::UpdateReplaceControls);
  }
  connect(AddCombo_, &QComboBox::currentIndexChanged, this, [this] {
    UpdateStringControls();
    UpdateNumberingControls();
  });
  for (QRadioButton* option : StringOption_) {
    connect(option, &QRadioButton::toggled, this, [this](bool on) {
      if (on) UpdateStringControls();
    });
  }
}

void ModePages::chooseReplacementString() {
  OptAfterAct_[0]->setChecked(true);
  replacementChoiceChanged();
}

void ModePages::replacementChoiceChanged() {
  if (OptAfterAct_[0]->isChecked()) {
    ChkTab_[1]->setEnabled(true);
    ChkCR1_->setEnabled(true);
    ChkLF1_->setEnabled(true);
    SetFieldEnabled(inChangeChr_, true);
    SetFieldEnabled(TxtAfterWord_, false);
    UpdateReplaceControls();
  } else {
    ChkTab_[1]->setEnabled(false);
    ChkCR1_->setEnabled(false);
    ChkLF1_->setEnabled(false);
    SetFieldEnabled(inChangeChr_, false);
    SetFieldEnabled(TxtAfterWord_, true);
  }
}

// TAB alone, or CR and LF alone or together, take the place of the replacement
// string; the find-side TAB takes the place of the search string.
void ModePages::UpdateReplaceControls() {
  SetFieldEnabled(inTrimChr_, !ChkTab_[0]->isChecked());

  ChkTab_[1]->setEnabled(true);
  ChkCR1_->setEnabled(true);
  ChkLF1_->setEnabled(true);
  const bool tab = ChkTab_[1]->isChecked();
  const bool crOrLf = ChkCR1_->isChecked() || ChkLF1_->isChecked();
  if (!tab && !crOrLf) {
    SetFieldEnabled(inChangeChr_, true);
    return;
  }
  SetFieldEnabled(inChangeChr_, false);
  if (tab) {
    ChkCR1_->setEnabled(false);
    ChkLF1_->setEnabled(false);
  }
  if (crOrLf) ChkTab_[1]->setEnabled(false);
}

void ModePages::UpdateStringControls() {
  if (AddCombo_->currentIndex() == 1) {
    StringOption_[0]->setEnabled(true);
    StringOption_[1]->setEnabled(true);
    if (StringOption_[0]->isChecked()) {
      SetFieldEnabled(SpColCombo_, true);
      SetFieldEnabled(StringText_, false);
    } else if (StringOption_[1]->isChecked()) {
      SetFieldEnabled(SpColCombo_, false);
      SetFieldEnabled(StringText_, true);
    }
    return;
  }
  StringOption_[0]->setEnabled(false);
  StringOption_[1]->setEnabled(false);
  SetFieldEnabled(SpColCombo_, false);
  SetFieldEnabled(StringText_, false);
}

void ModePages::UpdateNumberingControls() {
  const bool numbering = AddCombo_->currentIndex() == 2;
  SetFieldEnabled(StartCombo_, numbering);
  SetFieldEnabled(SkipCombo_, numbering);
}

}  // namespace kadrel::ui
