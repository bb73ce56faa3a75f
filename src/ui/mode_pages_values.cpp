// The mode pages' values as a plain struct, both ways.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "ui/combo_text_box.h"
#include "ui/mode_pages.h"
#include "ui/qt_text.h"

namespace kadrel::ui {

namespace {

std::string Text(const QComboBox* combo) {
  return ToUtf8(combo->currentText());
}

int16_t Checked(const QCheckBox* box) {
  return box->isChecked() ? 1 : 0;
}

void SetText(QComboBox* combo, const std::string& text) {
  const QString value = ToQString(text);
  const int item = combo->findText(value, Qt::MatchExactly);
  if (item >= 0) combo->setCurrentIndex(item);
  combo->setEditText(value);
}

}  // namespace

ModeSettings ModePages::settings() const {
  ModeSettings s;
  s.TrimChr = Text(inTrimChr_);
  s.ChangeChr = Text(inChangeChr_);
  s.TrimTab0 = Checked(ChkTab_[0]);
  s.TrimTab1 = Checked(ChkTab_[1]);
  s.TrimCR1 = Checked(ChkCR1_);
  s.TrimLF1 = Checked(ChkLF1_);

  s.Position = OptPosition_[0]->isChecked() ? 0 : 1;
  s.ComboCol = Text(ColCombo_);
  s.ComboAct = static_cast<int16_t>(AddCombo_->currentIndex());
  s.STRCheck = StringOption_[0]->isChecked() ? 0 : 1;
  s.ComboSPCol = Text(SpColCombo_);
  s.ADDText = ToUtf8(StringText_->text());
  s.ComboLineSt = Text(StartCombo_);
  s.ComboLineSkp = Text(SkipCombo_);

  s.StartChr = Text(inStartChr_);
  s.EndChr = Text(inEndChr_);

  s.SrcChr0 = Text(inSrcChr_[0]);
  s.SrcChr1 = Text(inSrcChr_[1]);
  s.SrcChr2 = Text(inSrcChr_[2]);
  s.ChkAndOr0 = m4ChkAND_[0]->isChecked();
  s.ChkAndOr1 = m4ChkAND_[1]->isChecked();

  s.LineDel = Checked(OptLineDel_);
  s.SPLineDel = Checked(OptSPLineDel_);
  s.TrimLeft = Checked(ChkLeft_);
  s.TrimAll = Checked(ChkAll_);
  s.TrimRight = Checked(ChkRight_);
  return s;
}

// In the order of the stored keys, so that every change notification runs as it
// would for a user making the same changes.
void ModePages::applySettings(const ModeSettings& s) {
  SetText(inTrimChr_, s.TrimChr);
  SetText(inChangeChr_, s.ChangeChr);
  ChkTab_[0]->setChecked(s.TrimTab0 != 0);
  ChkTab_[1]->setChecked(s.TrimTab1 != 0);
  ChkCR1_->setChecked(s.TrimCR1 != 0);
  ChkLF1_->setChecked(s.TrimLF1 != 0);

  OptPosition_[s.Position == 0 ? 0 : 1]->setChecked(true);
  SetText(ColCombo_, s.ComboCol);
  if (s.ComboAct >= 0 && s.ComboAct < AddCombo_->count()) AddCombo_->setCurrentIndex(s.ComboAct);
  StringOption_[s.STRCheck == 0 ? 0 : 1]->setChecked(true);
  SetText(SpColCombo_, s.ComboSPCol);
  StringText_->setText(ToQString(s.ADDText));
  SetText(StartCombo_, s.ComboLineSt);
  SetText(SkipCombo_, s.ComboLineSkp);

  SetText(inStartChr_, s.StartChr);
  SetText(inEndChr_, s.EndChr);

  SetText(inSrcChr_[0], s.SrcChr0);
  SetText(inSrcChr_[1], s.SrcChr1);
  SetText(inSrcChr_[2], s.SrcChr2);
  (s.ChkAndOr0 ? m4ChkAND_[0] : m4ChkOR_[0])->setChecked(true);
  (s.ChkAndOr1 ? m4ChkAND_[1] : m4ChkOR_[1])->setChecked(true);

  OptLineDel_->setChecked(s.LineDel != 0);
  OptSPLineDel_->setChecked(s.SPLineDel != 0);
  ChkLeft_->setChecked(s.TrimLeft != 0);
  ChkAll_->setChecked(s.TrimAll != 0);
  ChkRight_->setChecked(s.TrimRight != 0);
}

bool ModePages::multiLineChosen() const {
  return !OptAfterAct_[0]->isChecked();
}

std::string ModePages::multiLineReplacement() const {
  QString text = TxtAfterWord_->toPlainText();
  return ToUtf8(text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
}

std::vector<std::string> ModePages::historyTexts() const {
  std::vector<std::string> texts;
  for (const QComboBox* field : historyFields()) texts.push_back(Text(field));
  return texts;
}

std::vector<std::string> ModePages::historyEntries() const {
  std::vector<std::string> entries;
  const QComboBox* first = historyFields()[0];
  for (int i = 0; i < first->count(); ++i) entries.push_back(ToUtf8(first->itemText(i)));
  return entries;
}

void ModePages::offerHistory(const std::vector<std::string>& entries) {
  QStringList items;
  for (const std::string& entry : entries) items << ToQString(entry);
  for (QComboBox* field : historyFields()) {
    const QString text = field->currentText();
    field->clear();
    field->addItems(items);
    field->setEditText(text);
  }
}

void ModePages::showComboText(const std::string& text) {
  TextCombo_->setPlainText(ShownText(text));
}

}  // namespace kadrel::ui
