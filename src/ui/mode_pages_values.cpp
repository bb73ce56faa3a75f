// The mode pages' values as a plain struct, both ways.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "ui/mode_pages.h"

namespace kadrel::ui {

namespace {

std::string Text(const QComboBox* combo) {
  return combo->currentText().toStdString();
}

int16_t Checked(const QCheckBox* box) {
  return box->isChecked() ? 1 : 0;
}

void SetText(QComboBox* combo, const std::string& text) {
  const QString value = QString::fromStdString(text);
  const int item = combo->findText(value, Qt::MatchExactly);
  if (item >= 0) combo->setCurrentIndex(item);
  combo->setEditText(value);
}

}  // namespace

ModeSettings ModePages::settings() const {
  ModeSettings s;
  s.TrimChr = Text(inTrimChr);
  s.ChangeChr = Text(inChangeChr);
  s.TrimTab0 = Checked(ChkTab[0]);
  s.TrimTab1 = Checked(ChkTab[1]);
  s.TrimCR1 = Checked(ChkCR1);
  s.TrimLF1 = Checked(ChkLF1);

  s.Position = OptPosition[0]->isChecked() ? 0 : 1;
  s.ComboCol = Text(ColCombo);
  s.ComboAct = static_cast<int16_t>(AddCombo->currentIndex());
  s.STRCheck = StringOption[0]->isChecked() ? 0 : 1;
  s.ComboSPCol = Text(SpColCombo);
  s.ADDText = StringText->text().toStdString();
  s.ComboLineSt = Text(StartCombo);
  s.ComboLineSkp = Text(SkipCombo);

  s.StartChr = Text(inStartChr);
  s.EndChr = Text(inEndChr);

  s.SrcChr0 = Text(inSrcChr[0]);
  s.SrcChr1 = Text(inSrcChr[1]);
  s.SrcChr2 = Text(inSrcChr[2]);
  s.ChkAndOr0 = m4ChkAND[0]->isChecked();
  s.ChkAndOr1 = m4ChkAND[1]->isChecked();

  s.LineDel = Checked(OptLineDel);
  s.SPLineDel = Checked(OptSPLineDel);
  s.TrimLeft = Checked(ChkLeft);
  s.TrimAll = Checked(ChkAll);
  s.TrimRight = Checked(ChkRight);
  return s;
}

// In the order of the stored keys, so that every change notification runs as it
// would for a user making the same changes.
void ModePages::applySettings(const ModeSettings& s) {
  SetText(inTrimChr, s.TrimChr);
  SetText(inChangeChr, s.ChangeChr);
  ChkTab[0]->setChecked(s.TrimTab0 != 0);
  ChkTab[1]->setChecked(s.TrimTab1 != 0);
  ChkCR1->setChecked(s.TrimCR1 != 0);
  ChkLF1->setChecked(s.TrimLF1 != 0);

  OptPosition[s.Position == 0 ? 0 : 1]->setChecked(true);
  SetText(ColCombo, s.ComboCol);
  if (s.ComboAct >= 0 && s.ComboAct < AddCombo->count()) AddCombo->setCurrentIndex(s.ComboAct);
  StringOption[s.STRCheck == 0 ? 0 : 1]->setChecked(true);
  SetText(SpColCombo, s.ComboSPCol);
  StringText->setText(QString::fromStdString(s.ADDText));
  SetText(StartCombo, s.ComboLineSt);
  SetText(SkipCombo, s.ComboLineSkp);

  SetText(inStartChr, s.StartChr);
  SetText(inEndChr, s.EndChr);

  SetText(inSrcChr[0], s.SrcChr0);
  SetText(inSrcChr[1], s.SrcChr1);
  SetText(inSrcChr[2], s.SrcChr2);
  (s.ChkAndOr0 ? m4ChkAND[0] : m4ChkOR[0])->setChecked(true);
  (s.ChkAndOr1 ? m4ChkAND[1] : m4ChkOR[1])->setChecked(true);

  OptLineDel->setChecked(s.LineDel != 0);
  OptSPLineDel->setChecked(s.SPLineDel != 0);
  ChkLeft->setChecked(s.TrimLeft != 0);
  ChkAll->setChecked(s.TrimAll != 0);
  ChkRight->setChecked(s.TrimRight != 0);
}

}  // namespace kadrel::ui
