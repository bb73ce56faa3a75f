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
  fill(ColCombo, {QStringLiteral("0"), QStringLiteral("6"), QStringLiteral("10")});
  QStringList actions;
  for (std::string_view action : kHeadTailActions) {
    actions << QString::fromUtf8(action.data(), static_cast<qsizetype>(action.size()));
  }
  fill(AddCombo, actions);
  fill(SpColCombo, {QStringLiteral("0"), QStringLiteral("6"), QStringLiteral("10")});
  fill(StartCombo, {QStringLiteral("000000"), QStringLiteral("000100"), QStringLiteral("001000")});
  fill(SkipCombo, {QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("100")});
}

void ModePages::clearValues() {
  ChkTab[0]->setChecked(false);
  inTrimChr->setEditText(QString());
  ChkTab[1]->setChecked(false);
  inChangeChr->setEditText(QString());

  ColCombo->setCurrentIndex(1);
  ColCombo->setEditText(ColCombo->itemText(1));
  AddCombo->setCurrentIndex(0);
  StringOption[0]->setChecked(true);
  SpColCombo->setCurrentIndex(1);
  SpColCombo->setEditText(SpColCombo->itemText(1));
  StringText->clear();
  StartCombo->setCurrentIndex(1);
  StartCombo->setEditText(StartCombo->itemText(1));
  SkipCombo->setCurrentIndex(2);
  SkipCombo->setEditText(SkipCombo->itemText(2));

  inStartChr->setEditText(QString());
  inEndChr->setEditText(QString());

  for (QComboBox* field : inSrcChr) field->setEditText(QString());
  m4ChkAND[0]->setChecked(true);
  m4ChkAND[1]->setChecked(true);

  OptLineDel->setChecked(false);
  OptSPLineDel->setChecked(false);
  ChkLeft->setChecked(false);
  ChkAll->setChecked(false);
  ChkRight->setChecked(false);
}

std::array<QComboBox*, 7> ModePages::historyFields() const {
  return {inTrimChr, inChangeChr, inStartChr, inEndChr, inSrcChr[0], inSrcChr[1], inSrcChr[2]};
}

void ModePages::connectRules() {
  for (QRadioButton* option : OptAfterAct) {
    connect(option, &QRadioButton::toggled, this, [this](bool on) {
      if (on) replacementChoiceChanged();
    });
  }
  for (QCheckBox* box : {ChkTab[0], ChkTab[1], ChkCR1, ChkLF1}) {
    connect(box, &QCheckBox::toggled, this, &ModePages::UpdateReplaceControls);
  }
  connect(AddCombo, &QComboBox::currentIndexChanged, this, [this] {
    UpdateStringControls();
    UpdateNumberingControls();
  });
  for (QRadioButton* option : StringOption) {
    connect(option, &QRadioButton::toggled, this, [this](bool on) {
      if (on) UpdateStringControls();
    });
  }
}

void ModePages::replacementChoiceChanged() {
  if (OptAfterAct[0]->isChecked()) {
    ChkTab[1]->setEnabled(true);
    ChkCR1->setEnabled(true);
    ChkLF1->setEnabled(true);
    SetFieldEnabled(inChangeChr, true);
    SetFieldEnabled(TxtAfterWord, false);
    UpdateReplaceControls();
  } else {
    ChkTab[1]->setEnabled(false);
    ChkCR1->setEnabled(false);
    ChkLF1->setEnabled(false);
    SetFieldEnabled(inChangeChr, false);
    SetFieldEnabled(TxtAfterWord, true);
  }
}

// TAB alone, or CR and LF alone or together, take the place of the replacement
// string; the find-side TAB takes the place of the search string.
void ModePages::UpdateReplaceControls() {
  SetFieldEnabled(inTrimChr, !ChkTab[0]->isChecked());

  ChkTab[1]->setEnabled(true);
  ChkCR1->setEnabled(true);
  ChkLF1->setEnabled(true);
  const bool tab = ChkTab[1]->isChecked();
  const bool crOrLf = ChkCR1->isChecked() || ChkLF1->isChecked();
  if (!tab && !crOrLf) {
    SetFieldEnabled(inChangeChr, true);
    return;
  }
  SetFieldEnabled(inChangeChr, false);
  if (tab) {
    ChkCR1->setEnabled(false);
    ChkLF1->setEnabled(false);
  }
  if (crOrLf) ChkTab[1]->setEnabled(false);
}

void ModePages::UpdateStringControls() {
  if (AddCombo->currentIndex() == 1) {
    StringOption[0]->setEnabled(true);
    StringOption[1]->setEnabled(true);
    if (StringOption[0]->isChecked()) {
      SetFieldEnabled(SpColCombo, true);
      SetFieldEnabled(StringText, false);
    } else if (StringOption[1]->isChecked()) {
      SetFieldEnabled(SpColCombo, false);
      SetFieldEnabled(StringText, true);
    }
    return;
  }
  StringOption[0]->setEnabled(false);
  StringOption[1]->setEnabled(false);
  SetFieldEnabled(SpColCombo, false);
  SetFieldEnabled(StringText, false);
}

void ModePages::UpdateNumberingControls() {
  const bool numbering = AddCombo->currentIndex() == 2;
  SetFieldEnabled(StartCombo, numbering);
  SetFieldEnabled(SkipCombo, numbering);
}

}  // namespace kadrel::ui
