// Construction of the mode pages: every control with its name, caption and font,
// arranged with layouts in the order of the classic pages.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtMath>

#include "ui/combo_text_box.h"
#include "ui/digit_filter.h"
#include "ui/look.h"
#include "ui/mode_pages.h"

namespace kadrel::ui {

namespace {

QLabel* MakeLabel(const char* name, const QString& caption) {
  return Named(new QLabel(caption), name);
}

// An editable combo box whose items are only offered in its drop-down list: what
// the user types is what is used. Qt's default completer would complete the typed
// text inline from the items, ignoring case and imposing the item's case, and
// Enter would pick an item that differs from the text only in case.
QComboBox* MakeEditableCombo(const char* name, int widthInCharacters) {
  auto* combo = Named(new QComboBox, name);
  combo->setEditable(true);
  combo->setCompleter(nullptr);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo->setMinimumContentsLength(widthInCharacters);
  return combo;
}

// An editable combo box that offers the shared input history.
QComboBox* MakeHistoryField(const char* name) {
  auto* combo = MakeEditableCombo(name, 8);
  combo->setFont(MonoFont(9));
  combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  return combo;
}

// An editable combo box that takes digits only.
QComboBox* MakeDigitField(const char* name, int widthInDigits) {
  auto* combo = MakeEditableCombo(name, widthInDigits);
  DigitFilter::Install(combo);
  return combo;
}

QFont NoteFont() {
  return ProportionalFont(8.25);
}

// The height that shows a number of whole lines of a text box's font.
int HeightForLines(const QPlainTextEdit* box, int lines) {
  const int margins = 2 * (box->frameWidth() + qCeil(box->document()->documentMargin()));
  return box->fontMetrics().lineSpacing() * lines + margins;
}

}  // namespace

ModePages::ModePages(QWidget* parent) : QStackedWidget(parent) {
  setObjectName(QStringLiteral("ModePages"));
  pages_[0] = buildReplacePage();
  pages_[1] = buildLineEndPage();
  pages_[2] = buildHeadTailPage();
  pages_[3] = buildKeywordPage();
  pages_[4] = buildMultiStringPage();
  pages_[5] = buildBlankPage();
  pages_[6] = buildComboPage();
  for (QWidget* p : pages_) addWidget(p);
  connectRules();
}

QWidget* ModePages::buildReplacePage() {
  auto* page = Named(new QWidget, "ModePage0");
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(4);

  auto* findRow = new QHBoxLayout;
  findRow->addWidget(MakeLabel("Label1_0", QStringLiteral("置換前の文字列")));
  ChkTab_[0] = Named(new QCheckBox(QStringLiteral("TABｺｰﾄﾞ")), "ChkTab0");
  findRow->addSpacing(12);
  findRow->addWidget(ChkTab_[0]);
  findRow->addStretch(1);
  grid->addLayout(findRow, 0, 0, 1, 2);

  inTrimChr_ = MakeHistoryField("inTrimChr");
  grid->addWidget(inTrimChr_, 1, 0, 1, 2);

  auto* afterGroup = new QButtonGroup(page);
  OptAfterAct_[0] = Named(new QRadioButton(QStringLiteral("置換後の文字列")), "OptAfterAct0");
  OptAfterAct_[1] = Named(new QRadioButton(QStringLiteral("置換後の文章")), "OptAfterAct1");
  afterGroup->addButton(OptAfterAct_[0], 0);
  afterGroup->addButton(OptAfterAct_[1], 1);

  auto* replaceRow = new QHBoxLayout;
  replaceRow->addWidget(OptAfterAct_[0]);
  replaceRow->addSpacing(12);
  ChkTab_[1] = Named(new QCheckBox(QStringLiteral("TABｺｰﾄﾞ")), "ChkTab1");
  ChkCR1_ = Named(new QCheckBox(QStringLiteral("CR")), "ChkCR1");
  ChkLF1_ = Named(new QCheckBox(QStringLiteral("LF")), "ChkLF1");
  replaceRow->addWidget(ChkTab_[1]);
  replaceRow->addWidget(ChkCR1_);
  replaceRow->addWidget(ChkLF1_);
  replaceRow->addStretch(1);
  grid->addLayout(replaceRow, 2, 0, 1, 2);

  inChangeChr_ = MakeHistoryField("inChangeChr");
  grid->addWidget(inChangeChr_, 3, 0, 1, 2);

  grid->addWidget(OptAfterAct_[1], 4, 0, Qt::AlignTop);
  TxtAfterWord_ = Named(new QPlainTextEdit, "TxtAfterWord");
  TxtAfterWord_->setFont(MonoFont(9));
  TxtAfterWord_->setLineWrapMode(QPlainTextEdit::NoWrap);
  TxtAfterWord_->setTabChangesFocus(true);
  TxtAfterWord_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
  TxtAfterWord_->setMinimumHeight(HeightForLines(TxtAfterWord_, 5));
  grid->addWidget(TxtAfterWord_, 4, 1);
  grid->setRowStretch(4, 1);
  grid->setColumnStretch(1, 1);
  return page;
}

QWidget* ModePages::buildLineEndPage() {
  auto* page = Named(new QWidget, "ModePage1");
  auto* box = new QVBoxLayout(page);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(MakeLabel("Label6", QStringLiteral("設定必要なし")));
  box->addStretch(1);
  return page;
}

QWidget* ModePages::buildHeadTailPage() {
  auto* page = Named(new QWidget, "ModePage2");
  auto* box = new QVBoxLayout(page);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(4);

  auto* top = new QHBoxLayout;
  auto* positionGroup = new QButtonGroup(page);
  OptPosition_[0] = Named(new QRadioButton(QStringLiteral("行頭")), "OptPosition0");
  OptPosition_[1] = Named(new QRadioButton(QStringLiteral("行末")), "OptPosition1");
  positionGroup->addButton(OptPosition_[0], 0);
  positionGroup->addButton(OptPosition_[1], 1);
  OptPosition_[0]->setChecked(true);
  top->addWidget(OptPosition_[0]);
  top->addWidget(OptPosition_[1]);
  top->addSpacing(8);
  ColCombo_ = MakeDigitField("ColCombo", 3);
  top->addWidget(ColCombo_);
  top->addWidget(MakeLabel("Label5", QStringLiteral("文字")));
  top->addSpacing(8);
  AddCombo_ = Named(new QComboBox, "AddCombo");
  AddCombo_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  top->addWidget(AddCombo_, 1);
  box->addLayout(top);

  auto* note =
      MakeLabel("Label9", QStringLiteral("※文字数ゼロにすると指定した内容を挿入する形になります"));
  note->setFont(NoteFont());
  note->setWordWrap(true);
  box->addWidget(note);

  auto* frames = new QHBoxLayout;
  auto* stringFrame = Named(new QGroupBox(QStringLiteral("文字列設定")), "Frame4");
  auto* stringGrid = new QGridLayout(stringFrame);
  stringGrid->setVerticalSpacing(4);
  auto* stringGroup = new QButtonGroup(stringFrame);
  StringOption_[0] = Named(new QRadioButton(QStringLiteral("SPACE")), "StringOption0");
  StringOption_[1] = Named(new QRadioButton(QStringLiteral("文字列")), "StringOption1");
  stringGroup->addButton(StringOption_[0], 0);
  stringGroup->addButton(StringOption_[1], 1);
  StringOption_[0]->setChecked(true);
  SpColCombo_ = MakeDigitField("SpColCombo", 3);
  auto* spaceRow = new QHBoxLayout;
  spaceRow->addWidget(SpColCombo_);
  spaceRow->addWidget(MakeLabel("Label10", QStringLiteral("桁")));
  spaceRow->addStretch(1);
  stringGrid->addWidget(StringOption_[0], 0, 0);
  stringGrid->addLayout(spaceRow, 0, 1);
  stringGrid->addWidget(StringOption_[1], 1, 0, 1, 2);
  StringText_ = Named(new QLineEdit, "StringText");
  StringText_->setFont(MonoFont(9));
  stringGrid->addWidget(StringText_, 2, 0, 1, 2);
  stringGrid->setColumnStretch(1, 1);
  frames->addWidget(stringFrame, 3);

  auto* numberFrame = Named(new QGroupBox(QStringLiteral("付番設定")), "Frame3");
  auto* numberGrid = new QGridLayout(numberFrame);
  numberGrid->setVerticalSpacing(4);
  StartCombo_ = MakeDigitField("StartCombo", 6);
  SkipCombo_ = MakeDigitField("SkipCombo", 6);
  numberGrid->addWidget(MakeLabel("Label7", QStringLiteral("開始")), 0, 0);
  numberGrid->addWidget(StartCombo_, 0, 1);
  numberGrid->addWidget(MakeLabel("Label8", QStringLiteral("刻み")), 1, 0);
  numberGrid->addWidget(SkipCombo_, 1, 1);
  numberGrid->setRowStretch(2, 1);
  frames->addWidget(numberFrame, 2);
  box->addLayout(frames);
  box->addStretch(1);
  return page;
}

QWidget* ModePages::buildKeywordPage() {
  auto* page = Named(new QWidget, "ModePage3");
  auto* box = new QVBoxLayout(page);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(4);
  inStartChr_ = MakeHistoryField("inStartChr");
  inEndChr_ = MakeHistoryField("inEndChr");
  box->addWidget(MakeLabel("Label1_3", QStringLiteral("開始キーワード文字列")));
  box->addWidget(inStartChr_);
  box->addSpacing(8);
  box->addWidget(MakeLabel("Label1_4", QStringLiteral("終了キーワード文字列")));
  box->addWidget(inEndChr_);
  box->addStretch(1);
  return page;
}

QWidget* ModePages::buildMultiStringPage() {
  auto* page = Named(new QWidget, "ModePage4");
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(3);
  grid->addWidget(MakeLabel("Label1_7", QStringLiteral("文字列指定（抽出条件）")), 0, 0, 1, 3);

  for (int i = 0; i < 3; ++i) {
    inSrcChr_[i] = MakeHistoryField(i == 0 ? "inSrcChr0" : i == 1 ? "inSrcChr1" : "inSrcChr2");
  }
  QWidget* pairs[2];
  for (int i = 0; i < 2; ++i) {
    pairs[i] = Named(new QWidget, i == 0 ? "Picture3_0" : "Picture3_1");
    auto* row = new QHBoxLayout(pairs[i]);
    row->setContentsMargins(0, 0, 0, 0);
    m4ChkAND_[i] =
        Named(new QRadioButton(QStringLiteral("AND")), i == 0 ? "m4ChkAND0" : "m4ChkAND1");
    m4ChkOR_[i] = Named(new QRadioButton(QStringLiteral("OR")), i == 0 ? "m4ChkOR0" : "m4ChkOR1");
    m4ChkAND_[i]->setChecked(true);
    row->addWidget(m4ChkAND_[i]);
    row->addWidget(m4ChkOR_[i]);
    row->addStretch(1);
  }

  // （ first  [AND/OR]  second ）  [AND/OR]  third
  grid->addWidget(MakeLabel("Label1_6", QStringLiteral("（")), 1, 0);
  grid->addWidget(inSrcChr_[0], 1, 1);
  grid->addWidget(pairs[0], 2, 1);
  grid->addWidget(inSrcChr_[1], 3, 1);
  grid->addWidget(MakeLabel("Label1_5", QStringLiteral("）")), 3, 2);
  grid->addWidget(pairs[1], 4, 0, 1, 3);
  grid->addWidget(inSrcChr_[2], 5, 1);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(6, 1);
  return page;
}

QWidget* ModePages::buildBlankPage() {
  auto* page = Named(new QWidget, "ModePage5");
  auto* box = new QVBoxLayout(page);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(6);

  auto* lineFrame = Named(new QGroupBox, "Frame2_1");
  auto* lineBox = new QGridLayout(lineFrame);
  OptLineDel_ = Named(new QCheckBox(QStringLiteral("空白行削除")), "OptLineDel");
  OptSPLineDel_ = Named(new QCheckBox(QStringLiteral("SPACEだけの行も対象とする")), "OptSPLineDel");
  lineBox->addWidget(OptLineDel_, 0, 0, 1, 2);
  lineBox->setColumnMinimumWidth(0, 20);
  lineBox->addWidget(OptSPLineDel_, 1, 1);
  lineBox->setColumnStretch(1, 1);
  box->addWidget(lineFrame);

  auto* spaceFrame = Named(new QGroupBox(QStringLiteral(" 空白文字削除 ")), "Frame2_0");
  auto* spaceRow = new QHBoxLayout(spaceFrame);
  ChkLeft_ = Named(new QCheckBox(QStringLiteral("LEFT")), "ChkLeft");
  ChkAll_ = Named(new QCheckBox(QStringLiteral("ALL")), "ChkAll");
  ChkRight_ = Named(new QCheckBox(QStringLiteral("RIGHT")), "ChkRight");
  spaceRow->addWidget(ChkLeft_, 1);
  spaceRow->addWidget(ChkAll_, 1);
  spaceRow->addWidget(ChkRight_, 1);
  box->addWidget(spaceFrame);

  auto* note = MakeLabel("Label4", QStringLiteral("※全角スペースも空白として扱います"));
  note->setFont(NoteFont());
  box->addWidget(note);
  box->addStretch(1);
  return page;
}

QWidget* ModePages::buildComboPage() {
  auto* page = Named(new QWidget, "ModePage9");
  auto* box = new QVBoxLayout(page);
  box->setContentsMargins(0, 0, 0, 0);
  TextCombo_ = Named(new ComboTextBox, "TextCombo");
  TextCombo_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
  TextCombo_->setMinimumHeight(HeightForLines(TextCombo_, 5));
  box->addWidget(TextCombo_);
  // Without a drag: a file dialog.
  auto* open =
      Named(new QPushButton(QStringLiteral("COMBO!!ファイルを開く... (&F)")), "BtnComboOpen");
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch(1);
  buttonRow->addWidget(open);
  box->addLayout(buttonRow);
  connect(TextCombo_, &ComboTextBox::filesDropped, this, &ModePages::comboFilesDropped);
  connect(open, &QPushButton::clicked, this, &ModePages::comboFilesWanted);
  return page;
}

}  // namespace kadrel::ui
