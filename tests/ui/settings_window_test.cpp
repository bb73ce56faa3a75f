// The window's settings: Kadrel.ini and KadrelCmb.data across a restart, the
// setting patterns with their confirmations, the options dialog, and the Qt host.
#include <sys/stat.h>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <filesystem>

#include "core/host.h"
#include "settings/ini_file.h"
#include "support/edited_settings.h"
#include "ui/mode_pages.h"
#include "ui/qt_host.h"
#include "ui/run_dialog.h"
#include "ui/target_list.h"
#include "window_fixture.h"

using namespace kadrel;
using kadrel::test::ClickButton;
using kadrel::test::DropPaths;
using kadrel::test::PageControls;
using kadrel::test::Q;
using kadrel::test::ReadFile;
using kadrel::test::WindowFixture;
using kadrel::test::WriteFile;

namespace {

std::string IniPath(const std::string& folder) {
  return folder + "/Kadrel.ini";
}

QLineEdit* Edit(QDialog& d, const char* name) {
  return d.findChild<QLineEdit*>(QString::fromLatin1(name));
}

}  // namespace

class SettingsWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void firstStartWritesDefaults();
  void restartBringsEverythingBack();
  void everyModeSettingSurvivesARestart();
  void emptyStoredValuesReadAsDefaults();
  void badPositionStopsTheLoad();
  void patternStoreAndRecall();
  void answeringNoChangesNothing();
  void neverStoredPatternGivesDefaults();
  void optionsDialogChecksInOrder();
  void unreadableSettingsFilesGetTheOpenBox();
  void optionsDialogStoresAndResetsList();
  void clearThenCancelChangesNothing();
  void qtHostServesTheWindow();
};

void SettingsWindowTest::firstStartWritesDefaults() {
  WindowFixture f;
  const RunOptions& o = f.window().options();
  QCOMPARE(o.SelSts, std::string("*.*"));
  QCOMPARE(o.LstChrBk, std::string("_BK"));
  QCOMPARE(o.BkupEdit, int16_t{1});
  QCOMPARE(o.UpdateNoFile, int16_t{1});
  f.restart();
  const std::string ini = ReadFile(IniPath(f.folder()));
  // A key created by the program is written in capitals.
  QVERIFY(ini.find("BKUPEdit") != std::string::npos);
  QVERIFY(ini.find("BkupEdit") == std::string::npos);
  clsIniFile reader;
  reader.pFileName(IniPath(f.folder()));
  QCOMPARE(reader.mGetString("Option", "BkupEdit"), std::string("1"));
  QCOMPARE(reader.mGetString("Option", "LstChr"), std::string("_SEL"));
  QVERIFY(!test::FileExists(f.folder() + "/KadrelCmb.data"));
}

void SettingsWindowTest::restartBringsEverythingBack() {
  WindowFixture f;
  test::TempDir data;
  WriteFile(data.file("steps.txt"), "#,head,#\r\n3,BEGIN,END,#\r\n1,#\r\n");
  ui::MainWindow& w = f.window();
  PageControls p(w);
  w.options().CompMode = 1;
  w.options().SelSts = "*.txt;*.csv";
  w.options().FstChrBk = "bk_";
  w.options().PtnName2 = "週次";
  w.options().codePage = CodePage::UTF8;
  w.options().UndoJournal = 0;
  DropPaths(p.TextCombo, {Q(data.file("steps.txt"))});
  p.inTrimChr->setEditText(QStringLiteral("first"));
  w.MergeInputHistory();
  p.inTrimChr->setEditText(QStringLiteral("second"));
  w.MergeInputHistory();
  w.setMode(2);
  p.OptPosition[1]->setChecked(true);
  p.ColCombo->setEditText(QStringLiteral("012"));
  p.AddCombo->setCurrentIndex(2);
  p.StartCombo->setEditText(QStringLiteral("0050"));
  p.m4ChkOR[1]->setChecked(true);
  p.ChkAll->setChecked(true);
  w.show();
  w.move(40, 50);
  w.resize(w.createdSize().width() + 30, w.createdSize().height() + 60);
  const QSize size = w.size();

  f.restart();
  ui::MainWindow& r = f.window();
  PageControls q(r);
  QCOMPARE(r.mode(), 2);
  QCOMPARE(q.pages->currentWidget(), q.page(2));
  QVERIFY(q.OptPosition[1]->isChecked());
  QCOMPARE(q.ColCombo->currentText(), QStringLiteral("12"));
  QCOMPARE(q.AddCombo->currentIndex(), 2);
  QCOMPARE(q.StartCombo->currentText(), QStringLiteral("0050"));
  QVERIFY(q.StartCombo->isEnabled());
  QVERIFY(q.m4ChkOR[1]->isChecked());
  QVERIFY(q.ChkAll->isChecked());
  QCOMPARE(q.inSrcChr[1]->count(), 2);
  QCOMPARE(q.inSrcChr[1]->itemText(0), QStringLiteral("second"));
  QCOMPARE(q.inSrcChr[1]->itemText(1), QStringLiteral("first"));
  const RunOptions& o = r.options();
  QCOMPARE(o.CompMode, int16_t{1});
  QCOMPARE(o.SelSts, std::string("*.txt;*.csv"));
  QCOMPARE(o.FstChrBk, std::string("bk_"));
  QCOMPARE(o.codePage, CodePage::UTF8);
  QCOMPARE(o.UndoJournal, int16_t{0});
  QCOMPARE(f.find<QAction>("MenuPtnREAD2")->text(), Q("週次"));
  QCOMPARE(f.find<QAction>("MenuPtnSAVE2")->text(), Q("週次"));
  QCOMPARE(f.find<QAction>("MenuCOMBORecent0")->text(), Q(data.file("steps.txt")));
  QCOMPARE(r.combo().steps, (std::vector<std::string>{"3,BEGIN,END,#", "1,#"}));
  // The step list file keeps the steps; a file's comment headings are not steps.
  QCOMPARE(q.TextCombo->toPlainText(), Q("キーワード指定範囲抽出　開始Key BEGIN  終了Key END\n"
                                         "改行コード置換(UNIX形式→TEXT形式)　設定必要なし\n"));
  QCOMPARE(r.size(), size);
  QCOMPARE(r.pos(), QPoint(40, 50));

  // No steps at exit: the step list file goes.
  r.Clear();
  f.restart();
  QVERIFY(!test::FileExists(f.folder() + "/KadrelCmb.data"));
  QVERIFY(f.window().combo().steps.empty());
}

// Every value of every page, none at its default, through SaveSettings and
// LoadSettings.
void SettingsWindowTest::everyModeSettingSurvivesARestart() {
  const ModeSettings s = test::EditedModeSettings();
  WindowFixture f;
  f.window().setMode(s.ModeIdx);
  f.find<ui::ModePages>("ModePages")->applySettings(s);
  f.restart();
  ModeSettings loaded = f.find<ui::ModePages>("ModePages")->settings();
  loaded.ModeIdx = static_cast<int16_t>(f.window().mode());
  QVERIFY(loaded == s);
}

void SettingsWindowTest::emptyStoredValuesReadAsDefaults() {
  WindowFixture f([](const std::string& folder) {
    WriteFile(IniPath(folder),
              "[Option]\r\nLstChrBk=\r\nLstChr=\r\nPtnName1=\r\n[OptionM2]\r\nComboCol=\r\n"
              "[recent]\r\n00=a\r\n01=b\r\n03=d\r\n");
  });
  const RunOptions& o = f.window().options();
  QCOMPARE(o.LstChrBk, std::string("_BK"));
  QCOMPARE(o.LstChr, std::string("_SEL"));
  QCOMPARE(o.PtnName1, std::string("(No.1)"));
  QCOMPARE(PageControls(f.window()).ColCombo->currentText(), QStringLiteral("6"));
  QCOMPARE(PageControls(f.window()).inEndChr->count(), 2);
}

void SettingsWindowTest::badPositionStopsTheLoad() {
  WindowFixture f([](const std::string& folder) {
    WriteFile(IniPath(folder),
              "[Settings]\r\nModeIdx=4\r\n[OptionM0]\r\nTrimChr=abc\r\nTrimTab1=1\r\n"
              "[OptionM2]\r\nPosition=5\r\nComboCol=9\r\n[OptionM4]\r\nSrcChr0=zzz\r\n");
  });
  PageControls p(f.window());
  QCOMPARE(f.window().mode(), 4);
  QCOMPARE(p.inTrimChr->currentText(), QStringLiteral("abc"));
  QVERIFY(p.ChkTab[1]->isChecked());
  QVERIFY(p.OptPosition[0]->isChecked());
  QCOMPARE(p.ColCombo->currentText(), QStringLiteral("6"));
  QVERIFY(p.inSrcChr[0]->currentText().isEmpty());
  QVERIFY(f.host().boxes.empty());  // silent at start-up
}

void SettingsWindowTest::patternStoreAndRecall() {
  WindowFixture f;
  PageControls p(f.window());
  f.window().setMode(3);
  p.inStartChr->setEditText(QStringLiteral("BEGIN"));
  f.host().answers = {BoxAnswer::Yes};
  f.find<QAction>("MenuPtnSAVE2")->trigger();
  QCOMPARE(f.host().boxes.back().text,
           std::string("現在の設定を (No.2) "
                       "パターンとし、記憶します\rパターン設定は上書きされますがよろしいですか？"));
  QCOMPARE(f.host().boxes.back().icon, BoxIcon::Exclamation);
  QCOMPARE(f.host().boxes.back().defaultAnswer, BoxAnswer::No);
  const std::string ini = ReadFile(IniPath(f.folder()));
  QVERIFY(ini.find("[Settings2]") != std::string::npos);
  QVERIFY(ini.find("[OptionM32]") != std::string::npos);

  f.window().setMode(0);
  p.inStartChr->setEditText(QStringLiteral("other"));
  f.host().answers = {BoxAnswer::Yes};
  f.find<QAction>("MenuPtnREAD2")->trigger();
  QCOMPARE(f.host().boxes.back().text,
           std::string("(No.2) パターン設定を読込みます　よろしいですか？"));
  QCOMPARE(f.host().boxes.back().icon, BoxIcon::Information);
  QCOMPARE(f.host().boxes.back().defaultAnswer, BoxAnswer::Yes);
  QCOMPARE(f.window().mode(), 3);
  QCOMPARE(p.inStartChr->currentText(), QStringLiteral("BEGIN"));
}

void SettingsWindowTest::answeringNoChangesNothing() {
  WindowFixture f;
  PageControls p(f.window());
  p.inTrimChr->setEditText(QStringLiteral("keep"));
  f.host().answers = {BoxAnswer::No, BoxAnswer::No};
  f.find<QAction>("MenuPtnSAVE1")->trigger();
  QVERIFY(!test::FileExists(IniPath(f.folder())));
  f.find<QAction>("MenuPtnREAD1")->trigger();
  QCOMPARE(p.inTrimChr->currentText(), QStringLiteral("keep"));
  QCOMPARE(f.host().boxes.size(), size_t{2});
}

void SettingsWindowTest::neverStoredPatternGivesDefaults() {
  WindowFixture f;
  PageControls p(f.window());
  f.window().setMode(5);
  p.inTrimChr->setEditText(QStringLiteral("x"));
  p.ChkLeft->setChecked(true);
  p.OptPosition[1]->setChecked(true);
  p.StringOption[1]->setChecked(true);
  p.m4ChkOR[0]->setChecked(true);
  p.StartCombo->setEditText(QStringLiteral("7"));
  f.host().answers = {BoxAnswer::Yes};
  f.find<QAction>("MenuPtnREAD3")->trigger();
  QCOMPARE(f.window().mode(), 0);
  QVERIFY(p.inTrimChr->currentText().isEmpty());
  QVERIFY(!p.ChkLeft->isChecked());
  QVERIFY(p.OptPosition[0]->isChecked());
  QVERIFY(p.StringOption[0]->isChecked());
  QVERIFY(p.m4ChkAND[0]->isChecked());
  QCOMPARE(p.ColCombo->currentText(), QStringLiteral("6"));
  QCOMPARE(p.StartCombo->currentText(), QStringLiteral("000100"));
  QCOMPARE(p.SkipCombo->currentText(), QStringLiteral("100"));
}

void SettingsWindowTest::optionsDialogChecksInOrder() {
  WindowFixture f;
  bool stillOpen = false;
  f.onDialog([&](QDialog& d) {
    Edit(d, "TextOptSts")->setText(QStringLiteral("   "));
    Edit(d, "inFrChrBK")->clear();
    Edit(d, "inToChrBK")->clear();
    ClickButton(d, "BtnOptOK");  // "*.*" assumed, then refused for the backup affixes
    stillOpen = d.result() != QDialog::Accepted;
    Edit(d, "inToChrBK")->setText(QStringLiteral("/old"));
    ClickButton(d, "BtnOptOK");  // a name in another folder: refused
    stillOpen = stillOpen && d.result() != QDialog::Accepted;
    Edit(d, "inToChrBK")->setText(QStringLiteral("_old"));
    Edit(d, "TxtPtnName1")->clear();
    Edit(d, "TxtPtnName3")->clear();
    ClickButton(d, "BtnOptOK");
    return d.result();
  });
  f.find<QAction>("MenuOption")->trigger();
  QVERIFY(stillOpen);
  QCOMPARE(f.host().texts(),
           (std::vector<std::string>{
               "「全てのファイル」を仮定します", "ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ名付加文字を指定してください",
               "ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ名付加文字に「/」「\\」「..」や制御文字は指定できません",
               "ﾊﾟﾀｰﾝ名称 1 番目に初期値を仮定します", "ﾊﾟﾀｰﾝ名称 3 番目に初期値を仮定します"}));
  QCOMPARE(f.host().boxes[3].icon, BoxIcon::Information);
  const RunOptions& o = f.window().options();
  QCOMPARE(o.SelSts, std::string("*.*"));
  QCOMPARE(o.LstChrBk, std::string("_old"));
  QCOMPARE(o.PtnName1, std::string("(No.1)"));
}

// A settings file that is a folder and a step list file that is a FIFO: the start
// goes on with the defaults after a box for each; the pattern menus say so too.
void SettingsWindowTest::unreadableSettingsFilesGetTheOpenBox() {
  WindowFixture f([](const std::string& folder) {
    std::filesystem::create_directory(IniPath(folder));
    QCOMPARE(::mkfifo((folder + "/KadrelCmb.data").c_str(), 0600), 0);
  });
  QCOMPARE(f.host().boxes.size(), size_t{2});
  for (const MessageBoxRequest& box : f.host().boxes)
    QCOMPARE(box.title, std::string("File Open Error"));
  QVERIFY(f.host().boxes[0].text.find("[ " + IniPath(f.folder()) + "]") != std::string::npos);
  QCOMPARE(f.window().options().LstChrBk, std::string("_BK"));
  f.host().answers = {BoxAnswer::Yes};
  f.find<QAction>("MenuPtnSAVE1")->trigger();
  QCOMPARE(f.host().boxes.size(), size_t{4});  // the confirmation, then the box
  QCOMPARE(f.host().boxes[3].title, std::string("File Open Error"));
  QVERIFY(std::filesystem::is_directory(IniPath(f.folder())));
}

void SettingsWindowTest::optionsDialogStoresAndResetsList() {
  WindowFixture f;
  test::TempDir data;
  WriteFile(data.file("a.txt"), "x\r\n");
  DropPaths(f.window().targetList(), {Q(data.file("a.txt"))});
  QString sample;
  f.onDialog([&](QDialog& d) {
    Edit(d, "TextOptSts")->setText(QStringLiteral("*.TXT"));
    Edit(d, "inFrChrBK")->setText(QStringLiteral("bk"));
    Edit(d, "TxtPtnName2")->setText(QStringLiteral("月次"));
    d.findChild<QCheckBox*>(QStringLiteral("ChkCompMode"))->setChecked(true);
    d.findChild<QCheckBox*>(QStringLiteral("chkUndoJournal"))->setChecked(false);
    d.findChild<QComboBox*>(QStringLiteral("CodePage"))->setCurrentText(QStringLiteral("自動判定"));
    sample = d.findChild<QLabel*>(QStringLiteral("LblSammple0"))->text();
    ClickButton(d, "BtnOptOK");
    return d.result();
  });
  f.find<QAction>("MenuOption")->trigger();
  QCOMPARE(sample, QStringLiteral("bkABC.txt_BK"));
  const RunOptions& o = f.window().options();
  QCOMPARE(o.SelSts, std::string("*.TXT"));
  QCOMPARE(o.CompMode, int16_t{1});
  QCOMPARE(o.UndoJournal, int16_t{0});
  QVERIFY(o.codePage == CodePageSetting::Auto());
  QCOMPARE(f.find<QAction>("MenuPtnREAD2")->text(), Q("月次"));
  QCOMPARE(f.window().targetList()->item(0)->text(), Q("対象ファイルをドロップして下さい"));
  QVERIFY(!f.find<QPushButton>("BtnStart")->isEnabled());
  QVERIFY(f.host().boxes.empty());
}

void SettingsWindowTest::clearThenCancelChangesNothing() {
  WindowFixture f;
  f.window().options().LstChrBk = "_old";
  f.window().options().PtnName1 = "mine";
  f.onDialog([](QDialog& d) {
    ClickButton(d, "BtnOptClear");
    ClickButton(d, "BtnOptCancel");
    return d.result();
  });
  f.find<QAction>("MenuOption")->trigger();
  QCOMPARE(f.window().options().LstChrBk, std::string("_old"));
  QCOMPARE(f.window().options().PtnName1, std::string("mine"));
}

void SettingsWindowTest::qtHostServesTheWindow() {
  test::TempDir folder;
  ui::QtHost host;
  ui::MainWindow window(host, folder.path());
  host.attach(&window);
  window.setHelpFolder(QString());
  test::TempDir data;
  WriteFile(data.file("a.txt"), "x\r\n");
  WriteFile(data.file("b.txt"), "x\r\n");
  DropPaths(window.targetList(), {Q(data.file("a.txt")), Q(data.file("b.txt"))});
  host.selectTarget(1);
  QCOMPARE(window.targetList()->currentRow(), 1);

  QString shownText, codePage;
  int bar = -1;
  window.setDialogRunner([&](QDialog& dialog) {
    host.setProgress({"2 File の\r\n処理中です...", 1, 2, 0, 0});
    shownText = dialog.findChild<QLabel*>(QStringLiteral("LblWaitMsg"))->text();
    bar = dialog.findChild<QProgressBar*>(QStringLiteral("ProgressFiles"))->value();
    host.showCodePage(data.file("b.txt"), "EUC-JP");
    codePage = dialog.findChild<QLabel*>(QStringLiteral("LblCodePage"))->text();
    ClickButton(dialog, "BtnNo");
    return dialog.result();
  });
  window.setMode(1);
  window.StartRun();
  QCOMPARE(shownText, Q("2 File の\n処理中です..."));
  QCOMPARE(bar, 1);  // one file done, the second in progress
  QCOMPARE(codePage, Q("文字コード: EUC-JP"));
  window.close();
}

QTEST_MAIN(SettingsWindowTest)
#include "settings_window_test.moc"
