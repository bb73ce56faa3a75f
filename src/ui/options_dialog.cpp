#include "ui/options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <iterator>

#include "ui/fitting_scroll_area.h"
#include "ui/look.h"
#include "ui/qt_text.h"

namespace kadrel::ui {

namespace {

// The choices of 文字コード, in the order of the list.
const CodePageSetting kCodePages[] = {CodePage::CP932, CodePage::UTF8, CodePage::EUCJP,
                                      CodePageSetting::Auto()};

// What 自動判定 does, below the list.
constexpr const char* kAutoNote =
    "自動判定：ファイルごとに中身から文字コードを判定します\n"
    "ASCII だけのファイルに加える文字は UTF-8 で書き込みます";

QString CodePageCaption(const CodePageSetting& setting) {
  return setting.automatic ? QStringLiteral("自動判定")
                           : QString::fromLatin1(CodePageName(setting.fixed));
}

}  // namespace

OptionsDialog::OptionsDialog(Host& host, RunOptions& options, std::function<void()> resetTargetList,
                             QWidget* parent)
    : QDialog(parent),
      host_(host),
      options_(options),
      resetTargetList_(std::move(resetTargetList)) {
  setObjectName(QStringLiteral("KadrelFo"));
  setWindowTitle(QStringLiteral("ｵﾌﾟｼｮﾝの設定"));
  setModal(true);

  // Extension patterns of dropped files.
  auto* patternGroup =
      Named(new QGroupBox(QStringLiteral(" ﾄﾞﾛｯﾌﾟ抽出拡張子ﾊﾟﾀｰﾝ ")), "FramePattern");
  auto* patternBox = new QVBoxLayout(patternGroup);
  TextOptSts_ = Named(new QLineEdit, "TextOptSts");
  patternBox->addWidget(TextOptSts_);
  auto* patternNote = new QLabel(QStringLiteral("*.xxx 形式で入力　　ｾﾐｺﾛﾝで区切り複数指定可能"));
  patternNote->setFont(ProportionalFont(8.25));
  patternBox->addWidget(patternNote);

  ChkCompMode_ = Named(new QCheckBox(QStringLiteral("大文字と小文字を区別する")), "ChkCompMode");

  // Affixes of the files the program creates.
  auto* affixGroup = Named(new QGroupBox(QStringLiteral(" 作成ﾌｧｲﾙ付加文字指定 ")), "FrameAffix");
  auto* affixBox = new QGridLayout(affixGroup);
  auto* explanation =
      new QLabel(QStringLiteral("作成されるﾌｧｲﾙに付加する文字列を指定します\n例）前に「bk」を指定し"
                                "「aaa.txt」を処理した場合「bk_aaa.txt」"));
  explanation->setFont(ProportionalFont(8.25));
  affixBox->addWidget(explanation, 0, 0, 1, 5);
  inFrChrBK_ = Named(new QLineEdit, "inFrChrBK");
  inToChrBK_ = Named(new QLineEdit, "inToChrBK");
  inFrChr_ = Named(new QLineEdit, "inFrChr");
  inToChr_ = Named(new QLineEdit, "inToChr");
  affixBox->addWidget(new QLabel(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ名付加文字")), 1, 0, 1, 4);
  affixBox->addWidget(new QLabel(QStringLiteral("前")), 2, 0);
  affixBox->addWidget(inFrChrBK_, 2, 1);
  affixBox->addWidget(new QLabel(QStringLiteral("後")), 2, 2);
  affixBox->addWidget(inToChrBK_, 2, 3);
  affixBox->addWidget(new QLabel(QStringLiteral("抽出結果ﾌｧｲﾙ名付加文字")), 3, 0, 1, 4);
  affixBox->addWidget(new QLabel(QStringLiteral("前")), 4, 0);
  affixBox->addWidget(inFrChr_, 4, 1);
  affixBox->addWidget(new QLabel(QStringLiteral("後")), 4, 2);
  affixBox->addWidget(inToChr_, 4, 3);
  auto* sampleCaption = new QLabel(QStringLiteral("例）ABC.txt"));
  LblSammple_[0] = Named(new QLabel, "LblSammple0");
  LblSammple_[1] = Named(new QLabel, "LblSammple1");
  for (QLabel* sample : LblSammple_) {
    sample->setFrameShape(QFrame::StyledPanel);
    sample->setMinimumWidth(130);
  }
  affixBox->addWidget(sampleCaption, 1, 4);
  affixBox->addWidget(LblSammple_[0], 2, 4);
  affixBox->addWidget(LblSammple_[1], 4, 4);
  affixBox->setColumnStretch(1, 1);
  affixBox->setColumnStretch(3, 1);

  chkUpdateNoFile_ = Named(new QCheckBox(QStringLiteral("文字置換　対象なしでもファイル更新する")),
                           "chkUpdateNoFile");
  chkBKUPEdit_ =
      Named(new QCheckBox(QStringLiteral("更新系処理時ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙを作成する")), "chkBKUPEdit");
  ChkSelAddSts_ =
      Named(new QCheckBox(QStringLiteral("抽出結果に付加情報を出力しない")), "ChkSelAddSts");
  ChkAddLineNo_ =
      Named(new QCheckBox(QStringLiteral("抽出時行頭に行番号を付加する")), "ChkAddLineNo");
  ChkSelFile_ =
      Named(new QCheckBox(QStringLiteral("抽出結果を連結し出力する（先頭ﾌｧｲﾙ名）")), "ChkSelFile");
  chkUndoJournal_ =
      Named(new QCheckBox(QStringLiteral("元に戻す用に以前の内容を残す")), "chkUndoJournal");
  chkUndoJournal_->setToolTip(QStringLiteral(
      "書き換えたファイルの以前の内容を次の処理まで控えておき、「元に戻す」で戻せるようにします。\n"
      "ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙを作成しない設定でも、以前の内容は次の処理まで控えに残ります。\n"
      "外すと何も控えず、「元に戻す」は使えません。"));

  // Pattern names and the code page.
  auto* nameGroup = Named(new QGroupBox(QStringLiteral(" ﾊﾟﾀｰﾝ名称設定 ")), "FramePtnName");
  auto* nameBox = new QFormLayout(nameGroup);
  const char* nameLabels[3] = {"１番目", "２番目", "３番目"};
  const char* nameObjects[3] = {"TxtPtnName1", "TxtPtnName2", "TxtPtnName3"};
  for (int i = 0; i < 3; ++i) {
    TxtPtnName_[i] = Named(new QLineEdit, nameObjects[i]);
    nameBox->addRow(QString::fromUtf8(nameLabels[i]), TxtPtnName_[i]);
  }
  CodePage_ = Named(new QComboBox, "CodePage");
  for (const CodePageSetting& cp : kCodePages) CodePage_->addItem(CodePageCaption(cp));
  auto* codeRow = new QHBoxLayout;
  codeRow->addWidget(new QLabel(QStringLiteral("文字コード")));
  codeRow->addWidget(CodePage_);
  codeRow->addStretch(1);

  auto* BtnOptOK = Named(new QPushButton(QStringLiteral("OK")), "BtnOptOK");
  auto* BtnOptCancel = Named(new QPushButton(QStringLiteral("CANCEL")), "BtnOptCancel");
  auto* BtnOptClear = Named(new QPushButton(QStringLiteral("CLEAR")), "BtnOptClear");
  BtnOptOK->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtnOptClear);
  buttons->addStretch(1);
  buttons->addWidget(BtnOptOK);
  buttons->addWidget(BtnOptCancel);

  auto* checks = new QVBoxLayout;
  checks->setSpacing(2);
  for (QCheckBox* box : {chkUpdateNoFile_, chkBKUPEdit_, chkUndoJournal_, ChkSelAddSts_,
                         ChkAddLineNo_, ChkSelFile_}) {
    checks->addWidget(box);
  }

  auto* content = new QWidget;
  auto* box = new QVBoxLayout(content);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(patternGroup);
  box->addWidget(ChkCompMode_);
  box->addWidget(affixGroup);
  box->addLayout(checks);
  box->addWidget(nameGroup);
  box->addLayout(codeRow);
  auto* codeNote = Named(new QLabel(QString::fromUtf8(kAutoNote)), "LblCodePageNote");
  codeNote->setFont(ProportionalFont(8.25));
  box->addWidget(codeNote);
  box->addStretch(1);
  // The buttons stay in view whatever the font: the rest scrolls where the
  // screen is too low for it.
  auto* dialogBox = new QVBoxLayout(this);
  dialogBox->addWidget(new FittingScrollArea(content, buttons, this), 1);
  dialogBox->addSpacing(6);
  dialogBox->addLayout(buttons);

  for (QLineEdit* edit : {inFrChrBK_, inToChrBK_, inFrChr_, inToChr_}) {
    connect(edit, &QLineEdit::textChanged, this, &OptionsDialog::updateSamples);
  }
  connect(BtnOptOK, &QPushButton::clicked, this, &OptionsDialog::ok);
  connect(BtnOptCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(BtnOptClear, &QPushButton::clicked, this, &OptionsDialog::clear);

  setValues(OptionDialogFromOptions(options_));
}

// As large as the content asks, up to the whole screen (Qt stops at two thirds),
// so that the content scrolls only where the screen is too low for it.
void OptionsDialog::showEvent(QShowEvent* event) {
  resize(sizeHint());
  QDialog::showEvent(event);
}

OptionDialogValues OptionsDialog::values() const {
  OptionDialogValues v;
  v.TextOptSts = ToUtf8(TextOptSts_->text());
  v.CompMode = ChkCompMode_->isChecked() ? 1 : 0;
  v.inFrChrBK = ToUtf8(inFrChrBK_->text());
  v.inToChrBK = ToUtf8(inToChrBK_->text());
  v.inFrChr = ToUtf8(inFrChr_->text());
  v.inToChr = ToUtf8(inToChr_->text());
  v.UpdateNoFile = chkUpdateNoFile_->isChecked() ? 1 : 0;
  v.BkupEdit = chkBKUPEdit_->isChecked() ? 1 : 0;
  v.SelAddSts = ChkSelAddSts_->isChecked() ? 1 : 0;
  v.AddLineNo = ChkAddLineNo_->isChecked() ? 1 : 0;
  v.SelFile = ChkSelFile_->isChecked() ? 1 : 0;
  v.UndoJournal = chkUndoJournal_->isChecked() ? 1 : 0;
  for (int i = 0; i < 3; ++i) v.TxtPtnName[static_cast<size_t>(i)] = ToUtf8(TxtPtnName_[i]->text());
  v.codePage = kCodePages[std::max(0, CodePage_->currentIndex())];
  return v;
}

void OptionsDialog::setValues(const OptionDialogValues& v) {
  TextOptSts_->setText(ToQString(v.TextOptSts));
  ChkCompMode_->setChecked(v.CompMode != 0);
  inFrChrBK_->setText(ToQString(v.inFrChrBK));
  inToChrBK_->setText(ToQString(v.inToChrBK));
  inFrChr_->setText(ToQString(v.inFrChr));
  inToChr_->setText(ToQString(v.inToChr));
  chkUpdateNoFile_->setChecked(v.UpdateNoFile != 0);
  chkBKUPEdit_->setChecked(v.BkupEdit != 0);
  ChkSelAddSts_->setChecked(v.SelAddSts != 0);
  ChkAddLineNo_->setChecked(v.AddLineNo != 0);
  ChkSelFile_->setChecked(v.SelFile != 0);
  chkUndoJournal_->setChecked(v.UndoJournal != 0);
  for (int i = 0; i < 3; ++i)
    TxtPtnName_[i]->setText(ToQString(v.TxtPtnName[static_cast<size_t>(i)]));
  for (int i = 0; i < static_cast<int>(std::size(kCodePages)); ++i) {
    if (kCodePages[i] == v.codePage) CodePage_->setCurrentIndex(i);
  }
  updateSamples();
}

void OptionsDialog::updateSamples() {
  LblSammple_[0]->setText(
      ToQString(SampleFileName(ToUtf8(inFrChrBK_->text()), ToUtf8(inToChrBK_->text()))));
  LblSammple_[1]->setText(
      ToQString(SampleFileName(ToUtf8(inFrChr_->text()), ToUtf8(inToChr_->text()))));
}

void OptionsDialog::ok() {
  OptionDialogValues v = values();
  const OptionCheckResult result = CheckOptionDialog(v, options_);
  setValues(v);
  for (const MessageBoxRequest& box : result.messages) host_.showMessage(box);
  if (!result.accepted) return;
  if (result.resetTargetList && resetTargetList_) resetTargetList_();
  StoreOptionDialog(v, options_);
  accept();
}

void OptionsDialog::clear() {
  OptionDialogValues v = values();
  ClearOptionDialog(v);
  setValues(v);
}

}  // namespace kadrel::ui
