// The main window: start-up, mode selection, the target list (drops, filter,
// popup), START with its refusals and the run dialog, COMBO!! drops, the export
// box, help and version.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "text/code_page.h"
#include "text/utf.h"
#include "ui/application.h"
#include "ui/help_viewer.h"
#include "ui/qt_host.h"
#include "ui/run_dialog.h"
#include "ui/target_list.h"
#include "ui/window_texts.h"
#include "window_fixture.h"

using namespace kadrel;
using kadrel::test::ClickButton;
using kadrel::test::DropPaths;
using kadrel::test::Entries;
using kadrel::test::PageControls;
using kadrel::test::Q;
using kadrel::test::ReadFile;
using kadrel::test::WindowFixture;
using kadrel::test::WriteFile;

namespace {

std::string Sjis(const char* utf8) {
  return CodecFor(CodePage::CP932).encode(Utf8ToU32(utf8));
}

// A folder of files for drops: b.txt, sub/c.txt, d.txt, .hidden.txt, e.csv,
// notes.txt_BK, NOTES.TXT_sel.
struct DropFolder {
  test::TempDir dir;
  DropFolder() {
    std::filesystem::create_directory(dir.file("sub"));
    for (const char* name :
         {"b.txt", "sub/c.txt", "d.txt", ".hidden.txt", "e.csv", "notes.txt_BK", "NOTES.TXT_sel"}) {
      WriteFile(dir.file(name), "x\r\n");
    }
  }
  QString path(const char* name) const { return Q(dir.file(name)); }
};

int RunDialogAnswer(QDialog& dialog, const char* button) {
  ClickButton(dialog, button);
  return dialog.result();
}

// Qt appends the application display name, when one was set, to every title the
// window system shows. A display name that was never set follows the application
// name.
bool DisplayNameAppendedToTitles() {
  const QString name = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(name + QStringLiteral("-probe"));
  const bool set = QGuiApplication::applicationDisplayName() != QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(name);
  return set;
}

// The "a / b" of a counter such as "FILE ( a / b )" in a progress text.
QString Counter(const QString& text, const QString& name) {
  const QRegularExpression counter(QRegularExpression::escape(name) +
                                   QStringLiteral(R"( \( (\d+ / \d+) \))"));
  return counter.match(text).captured(1);
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT
 private slots:
  void startUpState();
  void modeSelectionShowsOnePage();
  void menuBarHasEveryItem();
  void windowKeepsItsCreatedSizeAsMinimum();
  void folderDropIsDepthFirstWithoutHiddenOrOwnFiles();
  void secondDropReplacesAndEmptyDropLeavesNothing();
  void pathTooLongIsToldOf();
  void rightClickActsOnTheEntryClicked();
  void removalLeavesNothingSelected();
  void startRefusals();
  void runRewritesFilesAndKeepsBackups();
  void multiLineReplacementGoesIntoTheRun();
  void declineTouchesNothing();
  void previewListsChangesAndWritesNothing();
  void previewCountsWhatTheRunRewrites();
  void undoTakesBackTheLastRunOnce();
  void aDroppedFolderIsHeldFromTheDropToTheEndOfItsRun();
  void cancelDisabledForOneFile();
  void comboRunFromDroppedFile();
  void progressBarsCountWhatIsDone();
  void exportLines();
  void exportRefusedInComboMode();
  void helpWithoutHelpFilesReturns();
  void helpEntryPoints();
  void versionBoxLines();
  void titlesReadExactlyAsWritten();
};

void WindowTest::startUpState() {
  WindowFixture f;
  ui::MainWindow& w = f.window();
  PageControls p(w);
  QCOMPARE(w.windowTitle(), Q("Kadrel   Ver. ") + QStringLiteral("%1.%2.%3")
                                                      .arg(KADREL_VERSION_MAJOR)
                                                      .arg(KADREL_VERSION_MINOR)
                                                      .arg(KADREL_VERSION_PATCH));
  QCOMPARE(w.mode(), 0);
  QCOMPARE(p.pages->currentWidget(), p.page(0));
  QCOMPARE(f.find<QLabel>("LblOutpuFileName")->text(), Q("作成されるﾌｧｲﾙは 「ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ」です"));
  QCOMPARE(Entries(w.targetList()), QStringList{Q("対象ファイルをドロップして下さい")});
  QVERIFY(!f.find<QPushButton>("BtnStart")->isEnabled());
  QVERIFY(!f.find<QAction>("MenuStart")->isEnabled());
  QVERIFY(f.find<QLabel>("Label2")->text().isEmpty());
  auto* recent = f.find<QAction>("MenuCOMBORecent0");
  QCOMPARE(recent->text(), Q("（なし）"));
  QVERIFY(!recent->isEnabled());
  QVERIFY(f.find<QAction>("MenuCOMBORecent1") == nullptr);
  QCOMPARE(p.TextCombo->toPlainText(), Q("COMBO!!ファイルをドロップして下さい"));
  QCOMPARE(f.find<QAction>("MenuPtnREAD1")->text(), Q("(No.1)"));
  QVERIFY(p.OptAfterAct[0]->isChecked());
  QVERIFY(f.host().boxes.empty());
}

void WindowTest::modeSelectionShowsOnePage() {
  WindowFixture f;
  ui::MainWindow& w = f.window();
  PageControls p(w);
  auto* label = f.find<QLabel>("LblOutpuFileName");
  w.setMode(6);
  QCOMPARE(p.pages->currentWidget(), p.page(9));
  QCOMPARE(label->text(), Q("（連続実行）"));
  for (int i : {0, 1, 2, 3, 4, 5}) QVERIFY(!p.page(i)->isVisibleTo(p.pages));
  w.setMode(3);
  QCOMPARE(p.pages->currentWidget(), p.page(3));
  QCOMPARE(label->text(), Q("作成されるﾌｧｲﾙは 「抽出結果ﾌｧｲﾙ」です"));
  auto* combo = f.find<QComboBox>("modeCombo");
  QCOMPARE(combo->count(), 7);
  for (int m = 0; m < 7; ++m) QCOMPARE(combo->itemText(m), Q(ui::ModeName(m)));
}

void WindowTest::menuBarHasEveryItem() {
  WindowFixture f;
  const std::pair<const char*, const char*> items[] = {
      {"MenuManual", "操作(&M)"},
      {"MenuStart", "処理開始 (&S)"},
      {"MenuPreview", "プレビュー (&V)"},
      {"MenuUndo", "元に戻す (&U)"},
      {"MenuAddFiles", "ファイルを追加... (&A)"},
      {"MenuAddFolder", "フォルダを追加... (&D)"},
      {"MenuClear", "ｸﾘｱ (&C)"},
      {"MenuCOMBORecentGrp", "最近使用したCOMBO!!ﾌｧｲﾙ (&F)"},
      {"MenuEND", "Kadrel の終了 (&X)"},
      {"MenuPtn", "ﾊﾟﾀｰﾝ(&P)"},
      {"MenuPtnRDGR", "読込 (&R)"},
      {"MenuPtnSVGR", "記憶 (&S)"},
      {"MenuOpt", "ｵﾌﾟｼｮﾝ(&O)"},
      {"MenuCmbEdit", "連続技/COMBO!!編集 (&C)"},
      {"MenuOption", "ｵﾌﾟｼｮﾝ設定 (&O)"},
      {"MenuHelp", "ﾍﾙﾌﾟ(&H)"},
      {"MenuHelpContents", "目次 (&C)"},
      {"MenuHelpSearch", "ﾄﾋﾟｯｸの検索 (&S)"},
      {"MenuHelpCOMBO", "連続実行/COMBO ﾍﾙﾌﾟ"},
      {"MenuHP", "HomePage(&H)"},
      {"MenuVer", "ﾊﾞｰｼﾞｮﾝ情報 (&A)"},
      {"MenuPOPDel", "対象から外す"},
  };
  for (const auto& [name, caption] : items) {
    auto* action = f.find<QAction>(name);
    QVERIFY2(action != nullptr, name);
    QCOMPARE(action->text(), Q(caption));
  }
  for (const char* sep :
       {"MenuAddSep", "Menu10", "Menu11", "Menu21", "Menu12", "Menu13", "Menu14"}) {
    auto* action = f.find<QAction>(sep);
    QVERIFY2(action != nullptr && action->isSeparator(), sep);
  }
  // The popup menu is never part of the bar.
  auto* popup = f.find<QMenu>("MenuPOPListBox");
  QVERIFY(popup != nullptr);
  for (QAction* a : f.window().menuBar()->actions()) QVERIFY(a != popup->menuAction());
}

void WindowTest::windowKeepsItsCreatedSizeAsMinimum() {
  WindowFixture f;
  ui::MainWindow& w = f.window();
  w.show();
  const QSize created = w.createdSize();
  QCOMPARE(w.minimumSize(), created);
  auto* panel = f.find<QWidget>("Picture1");
  const int panelHeight = panel->height();
  w.resize(created.width() + 200, created.height() + 300);
  QApplication::processEvents();
  QCOMPARE(panel->height(), panelHeight);
  QVERIFY(w.targetList()->height() > 250);
  QVERIFY(w.targetList()->width() >= created.width() + 200 - 2);
  w.resize(created.width() - 100, created.height() - 100);
  QCOMPARE(w.size(), created);
}

void WindowTest::folderDropIsDepthFirstWithoutHiddenOrOwnFiles() {
  WindowFixture f;
  DropFolder d;
  const QString hiddenDirect = d.path(".hidden.txt");
  DropPaths(f.window().targetList(), {d.path(""), hiddenDirect});
  QCOMPARE(Entries(f.window().targetList()),
           (QStringList{d.path("b.txt"), d.path("d.txt"), d.path("e.csv"), d.path("sub/c.txt"),
                        hiddenDirect}));
  QVERIFY(f.find<QPushButton>("BtnStart")->isEnabled());
  QVERIFY(f.find<QAction>("MenuStart")->isEnabled());
  QCOMPARE(f.find<QLabel>("Label2")->text(), QStringLiteral("5"));
  QVERIFY(f.window().targetList()->isVisible() == f.window().isVisible());
}

void WindowTest::secondDropReplacesAndEmptyDropLeavesNothing() {
  WindowFixture f;
  DropFolder d;
  DropPaths(f.window().targetList(), {d.path("b.txt"), d.path("d.txt")});
  DropPaths(f.window().targetList(), {d.path("e.csv")});
  QCOMPARE(Entries(f.window().targetList()), QStringList{d.path("e.csv")});
  DropPaths(f.window().targetList(), {d.path("notes.txt_BK")});
  QCOMPARE(f.window().targetList()->count(), 0);
  QVERIFY(!f.find<QPushButton>("BtnStart")->isEnabled());
  QVERIFY(f.find<QLabel>("Label2")->text().isEmpty());
}

void WindowTest::pathTooLongIsToldOf() {
  WindowFixture f;
  DropFolder d;
  const std::string overlong = d.dir.file(std::string(300, 'n') + ".txt");
  DropPaths(f.window().targetList(), {d.path("b.txt"), Q(overlong)});
  QCOMPARE(Entries(f.window().targetList()), QStringList{d.path("b.txt")});
  QCOMPARE(f.host().boxes.size(), size_t{1});
  QVERIFY(f.host().boxes[0].text.find("[ " + overlong + "]") != std::string::npos);
}

// The right button selects the entry under it before the popup opens (unless it
// is part of the selection already): 対象から外す takes out what was clicked, not
// the file a run or a preview last marked.
void WindowTest::rightClickActsOnTheEntryClicked() {
  DropFolder d;
  const QStringList files{d.path("b.txt"), d.path("d.txt"), d.path("e.csv")};
  struct Case {
    const char* name;
    std::vector<int> selectedBefore;  // the run marked the last file
    int clicked;                      // -1: below the last entry
    Qt::MouseButton button;
    bool popup;
    QStringList left;  // after 対象から外す, when the popup opened
  } cases[] = {
      {"another entry", {2}, 0, Qt::RightButton, true, {files[1], files[2]}},
      {"the marked entry", {2}, 2, Qt::RightButton, true, {files[0], files[1]}},
      {"one of several selected", {0, 2}, 2, Qt::RightButton, true, {files[1]}},
      {"below the entries", {2}, -1, Qt::RightButton, false, {}},
      {"the left button", {2}, 1, Qt::LeftButton, false, {}},
  };
  for (const Case& c : cases) {
    WindowFixture f;
    ui::TargetList* list = f.window().targetList();
    f.window().show();
    DropPaths(list, files);
    for (int row : c.selectedBefore) list->item(row)->setSelected(true);
    QSignalSpy spy(list, &ui::TargetList::popupRequested);
    const QPoint at = c.clicked < 0 ? QPoint(10, list->viewport()->height() - 5)
                                    : list->visualItemRect(list->item(c.clicked)).center();
    QTest::mouseClick(list->viewport(), c.button, {}, at);
    QCOMPARE(spy.count() == 1, c.popup);
    if (!c.popup) continue;
    f.find<QMenu>("MenuPOPListBox")->close();
    f.find<QAction>("MenuPOPDel")->trigger();
    QVERIFY2(Entries(list) == c.left, c.name);
  }
  // The placeholder line opens no popup.
  WindowFixture f;
  ui::TargetList* list = f.window().targetList();
  f.window().show();
  QSignalSpy spy(list, &ui::TargetList::popupRequested);
  QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                    list->visualItemRect(list->item(0)).center());
  QCOMPARE(spy.count(), 0);
}

void WindowTest::removalLeavesNothingSelected() {
  WindowFixture f;
  DropFolder d;
  ui::TargetList* list = f.window().targetList();
  auto* remove = f.find<QAction>("MenuPOPDel");
  DropPaths(list, {d.path("b.txt"), d.path("d.txt"), d.path("e.csv")});
  list->setCurrentRow(0);
  remove->trigger();
  QCOMPARE(Entries(list), (QStringList{d.path("d.txt"), d.path("e.csv")}));
  QVERIFY(list->selectedItems().isEmpty());
  QCOMPARE(list->currentRow(), 0);  // the keyboard goes on from there
  remove->trigger();                // nothing picked: nothing removed
  QCOMPARE(list->count(), 2);
  QCOMPARE(f.find<QLabel>("Label2")->text(), QStringLiteral("2"));
  QVERIFY(f.find<QPushButton>("BtnStart")->isEnabled());
  for (int i = 0; i < 2; ++i) {
    list->setCurrentRow(0);
    remove->trigger();
  }
  QCOMPARE(Entries(list), QStringList{Q("対象ファイルをドロップして下さい")});
  QVERIFY(list->selectedItems().isEmpty());
  QVERIFY(!f.find<QPushButton>("BtnStart")->isEnabled());
  QVERIFY(f.find<QLabel>("Label2")->text().isEmpty());
}

void WindowTest::startRefusals() {
  WindowFixture f([](const std::string& folder) {
    WriteFile(folder + "/Kadrel.ini", "[Option]\r\nCodePage=CP932\r\n");
  });
  f.window().StartRun();  // placeholder only
  DropFolder d;
  DropPaths(f.window().targetList(), {d.path("b.txt")});
  f.window().setMode(6);
  f.window().StartRun();  // COMBO!! prompt still shown
  f.window().setMode(3);
  PageControls p(f.window());
  p.inEndChr->setEditText(QStringLiteral("END"));
  f.window().StartRun();  // empty start keyword: the check's own box
  p.inStartChr->setEditText(QStringLiteral("[abc"));
  f.window().StartRun();  // a keyword that is no pattern
  f.window().setMode(0);
  p.inTrimChr->setEditText(QStringLiteral("a"));
  p.inChangeChr->setEditText(QStringLiteral("😀"));
  f.window().StartRun();  // a character CP932 cannot hold
  p.OptAfterAct[1]->setChecked(true);
  p.TxtAfterWord->setPlainText(QStringLiteral("x\n€"));
  f.window().StartRun();  // in the multi-line replacement too, which takes its place
  QCOMPARE(f.host().texts(),
           (std::vector<std::string>{
               "ファイルを指定してください", "COMBO!!ファイルをドロップしてください",
               "開始ｷｰﾜｰﾄﾞ文字列を指定してください",
               "「開始ｷｰﾜｰﾄﾞ文字列」の指定に誤まりがあります（「[」に対応する「]」がありません） [ "
               "[abc ]",
               "「置換後文字列」に CP932 で書き込めない文字があります [ 😀 (U+1F600) ]",
               "「置換後文章」に CP932 で書き込めない文字があります [ € (U+20AC) ]"}));
  QCOMPARE(f.host().boxes[0].icon, BoxIcon::Exclamation);
  QCOMPARE(f.dialogsRun(), 0);
}

void WindowTest::runRewritesFilesAndKeepsBackups() {
  WindowFixture f;
  test::TempDir data;
  WriteFile(data.file("a.txt"), "abc abc\r\nxyz\r\n");
  WriteFile(data.file("b.txt"), "ABC\r\n");
  DropPaths(f.window().targetList(), {Q(data.file("a.txt")), Q(data.file("b.txt"))});
  PageControls(f.window()).inTrimChr->setEditText(QStringLiteral("abc"));
  PageControls(f.window()).inChangeChr->setEditText(QStringLiteral("def"));
  QString question;
  bool cancelHiddenBeforeRun = false;
  f.onDialog([&](QDialog& dialog) {
    question = dialog.findChild<QLabel*>(QStringLiteral("LblWaitMsg"))->text();
    cancelHiddenBeforeRun = dialog.findChild<QPushButton*>(QStringLiteral("BtnCancel"))->isHidden();
    return RunDialogAnswer(dialog, "BtnYes");
  });
  f.find<QPushButton>("BtnStart")->click();
  QCOMPARE(f.dialogsRun(), 1);
  QVERIFY(cancelHiddenBeforeRun);
  QCOMPARE(question, Q("2 File の\n文字列置換　置換前文字列 abc  置換後文字列 def "
                       "を開始します\nよろしいですか？"));
  QCOMPARE(ReadFile(data.file("a.txt")), std::string("def def\r\nxyz\r\n"));
  QCOMPARE(ReadFile(data.file("b.txt")), std::string("def\r\n"));
  QCOMPARE(ReadFile(data.file("a.txt_BK")), std::string("abc abc\r\nxyz\r\n"));
  QCOMPARE(ReadFile(data.file("b.txt_BK")), std::string("ABC\r\n"));
  QCOMPARE(PageControls(f.window()).inTrimChr->itemText(0), QStringLiteral("abc"));
  QCOMPARE(f.find<QLabel>("Label2")->text(), QStringLiteral("2"));
  QVERIFY(!f.host().progress.empty());
  QCOMPARE(f.window().statusBar()->currentMessage(), Q("2 ファイル: 書き換え 2"));
}

void WindowTest::multiLineReplacementGoesIntoTheRun() {
  WindowFixture f;
  test::TempDir data;
  WriteFile(data.file("a.txt"), "axb\r\n");
  DropPaths(f.window().targetList(), {Q(data.file("a.txt"))});
  f.find<QComboBox>("inTrimChr")->setEditText(QStringLiteral("x"));
  f.find<QRadioButton>("OptAfterAct1")->setChecked(true);
  f.find<QPlainTextEdit>("TxtAfterWord")->setPlainText(QStringLiteral("one\ntwo"));
  f.onDialog([](QDialog& dialog) { return RunDialogAnswer(dialog, "BtnYes"); });
  f.find<QPushButton>("BtnStart")->click();
  QCOMPARE(ReadFile(data.file("a.txt")), std::string("aone\r\ntwob\r\n"));
}

void WindowTest::declineTouchesNothing() {
  WindowFixture f;
  test::TempDir data;
  WriteFile(data.file("a.txt"), "abc\r\n");
  DropPaths(f.window().targetList(), {Q(data.file("a.txt"))});
  PageControls(f.window()).inTrimChr->setEditText(QStringLiteral("abc"));
  f.onDialog([](QDialog& dialog) { return RunDialogAnswer(dialog, "BtnNo"); });
  f.window().StartRun();
  QCOMPARE(ReadFile(data.file("a.txt")), std::string("abc\r\n"));
  QVERIFY(!test::FileExists(data.file("a.txt_BK")));
  QCOMPARE(PageControls(f.window()).inChangeChr->itemText(0), QStringLiteral("abc"));  // merged
  QCOMPARE(f.find<QLabel>("Label2")->text(), QStringLiteral("1"));
}

void WindowTest::previewListsChangesAndWritesNothing() {
  WindowFixture f;
  test::TempDir data;
  WriteFile(data.file("a.txt"), "abc abc\r\nxyz\r\n");
  WriteFile(data.file("b.txt"), "none\r\n");
  WriteFile(data.file("c.txt"), "abc\n");  // skipped with a box
  auto* preview = f.find<QAction>("MenuPreview");
  QVERIFY(!preview->isEnabled());
  DropPaths(f.window().targetList(),
            {Q(data.file("a.txt")), Q(data.file("b.txt")), Q(data.file("c.txt"))});
  QVERIFY(preview->isEnabled());
  PageControls(f.window()).inTrimChr->setEditText(QStringLiteral("abc"));
  PageControls(f.window()).inChangeChr->setEditText(QStringLiteral("def"));
  QStringList listed, boxes;
  QString page, summary;
  f.onDialog([&](QDialog& dialog) {
    listed = Entries(dialog.findChild<QListWidget*>(QStringLiteral("PreviewFiles")));
    boxes = Entries(dialog.findChild<QListWidget*>(QStringLiteral("PreviewBoxes")));
    page = dialog.findChild<QTextBrowser*>(QStringLiteral("PreviewView"))->toPlainText();
    summary = dialog.findChild<QLabel*>(QStringLiteral("LblPreviewSummary"))->text();
    return static_cast<int>(QDialog::Accepted);
  });
  preview->trigger();
  QCOMPARE(listed, QStringList{QStringLiteral("a.txt　（−1 ＋1）")});
  QVERIFY2(page.contains(QStringLiteral("abc abc")) && page.contains(QStringLiteral("def def")),
           qPrintable(page));
  QCOMPARE(boxes.size(), 1);
  QVERIFY(boxes[0].startsWith(QStringLiteral("ＵＮＩＸ形式の改行コードを検出しました。")));
  // b.txt has no match and is rewritten all the same (UpdateNoFile's default).
  QCOMPARE(summary,
           QStringLiteral("書き換えるファイル 2（うち内容の変わらないもの 1：「対象なしでもファ"
                          "イル更新する」）　そのまま 0　飛ばす 1　メッセージ 1"));
  QVERIFY(f.host().boxes.empty());  // collected, not shown
  QCOMPARE(ReadFile(data.file("a.txt")), std::string("abc abc\r\nxyz\r\n"));
  QVERIFY(!test::FileExists(data.file("a.txt_BK")));
}

// The preview counts the files the run rewrites as 元に戻す later offers them, and
// names them from the folder dropped; the undo's question names the step and the
// folders.
void WindowTest::previewCountsWhatTheRunRewrites() {
  struct Case {
    int16_t updateNoFile;
    QStringList listed;
    QString counts;
    int undoOffers;
  } cases[] = {
      {1,
       {QStringLiteral("x/a.txt　（−1 ＋1）")},
       QStringLiteral("書き換えるファイル 2（うち内容の変わらないもの 1：「対象なしでもファイル更新"
                      "する」）　そのまま 0　飛ばす 1"),
       2},
      {0,
       {QStringLiteral("x/a.txt　（−1 ＋1）")},
       QStringLiteral("書き換えるファイル 1　そのまま 1　飛ばす 1"),
       1},
  };
  for (const Case& c : cases) {
    WindowFixture f;
    test::TempDir data;
    for (const char* folder : {"x", "y", "z"}) std::filesystem::create_directory(data.file(folder));
    WriteFile(data.file("x/a.txt"), "abc\r\n");
    WriteFile(data.file("y/a.txt"), "none\r\n");
    WriteFile(data.file("z/c.txt"), "abc\n");  // skipped with a box
    f.window().options().UpdateNoFile = c.updateNoFile;
    f.window().options().BkupEdit = 0;
    DropPaths(f.window().targetList(), {Q(data.path())});
    PageControls(f.window()).inTrimChr->setEditText(QStringLiteral("abc"));
    PageControls(f.window()).inChangeChr->setEditText(QStringLiteral("def"));
    QStringList listed;
    QString summary;
    f.onDialog([&](QDialog& dialog) {
      listed = Entries(dialog.findChild<QListWidget*>(QStringLiteral("PreviewFiles")));
      summary = dialog.findChild<QLabel*>(QStringLiteral("LblPreviewSummary"))->text();
      return static_cast<int>(QDialog::Accepted);
    });
    f.window().showPreview();
    QCOMPARE(listed, c.listed);
    QVERIFY2(summary.startsWith(c.counts), qPrintable(summary));

    f.onDialog([](QDialog& dialog) { return RunDialogAnswer(dialog, "BtnYes"); });
    f.window().StartRun();
    f.host().boxes.clear();
    f.host().answers = {BoxAnswer::No};
    f.find<QAction>("MenuUndo")->trigger();
    const QString question = Q(f.host().boxes.at(0).text);
    QVERIFY2(question.contains(QStringLiteral("書き換えた %1 個のファイル").arg(c.undoOffers)),
             qPrintable(question));
    QVERIFY2(
        question.contains(QStringLiteral("処理: 文字列置換　置換前文字列 abc  置換後文字列 def")),
        qPrintable(question));
    QVERIFY2(question.contains(QStringLiteral("フォルダ: ") + Q(data.path()) + QStringLiteral("/")),
             qPrintable(question));
  }
}

void WindowTest::undoTakesBackTheLastRunOnce() {
  WindowFixture f;
  test::TempDir data;
  WriteFile(data.file("a.txt"), "abc\r\n");
  auto* undo = f.find<QAction>("MenuUndo");
  QVERIFY(!undo->isEnabled());
  DropPaths(f.window().targetList(), {Q(data.file("a.txt"))});
  PageControls(f.window()).inTrimChr->setEditText(QStringLiteral("abc"));
  PageControls(f.window()).inChangeChr->setEditText(QStringLiteral("xyz"));
  f.onDialog([](QDialog& dialog) { return RunDialogAnswer(dialog, "BtnYes"); });
  f.window().StartRun();
  QCOMPARE(ReadFile(data.file("a.txt")), std::string("xyz\r\n"));
  QVERIFY(undo->isEnabled());

  f.host().answers = {BoxAnswer::No};  // the confirmation declined: nothing happens
  undo->trigger();
  QCOMPARE(ReadFile(data.file("a.txt")), std::string("xyz\r\n"));
  QVERIFY(undo->isEnabled());

  f.host().boxes.clear();
  f.host().answers = {BoxAnswer::Yes};
  undo->trigger();
  QCOMPARE(ReadFile(data.file("a.txt")), std::string("abc\r\n"));
  QCOMPARE(f.host().boxes.size(), size_t{2});
  QCOMPARE(f.host().boxes[0].buttons, BoxButtons::YesNo);
  QVERIFY(f.host().boxes[0].text.find("1 個のファイルを処理前の内容に戻します") !=
          std::string::npos);
  QCOMPARE(f.host().boxes[1].text, std::string("1 個のファイルを処理前の内容に戻しました。"));
  QVERIFY(!undo->isEnabled());  // once: no redo
}

// The folder swapped for a link between the drop and START: the run works in the
// folder that was dropped, and nothing the link leads to is written.
void WindowTest::aDroppedFolderIsHeldFromTheDropToTheEndOfItsRun() {
  WindowFixture f;
  test::TempDir tree, outside;
  const std::string dropped = tree.file("data");
  std::filesystem::create_directory(dropped);
  WriteFile(dropped + "/a.txt", "abc\r\n");
  WriteFile(outside.file("a.txt"), "abc\r\n");
  DropPaths(f.window().targetList(), {Q(dropped)});
  std::filesystem::rename(dropped, tree.file("moved"));
  std::filesystem::create_directory_symlink(outside.path(), dropped);
  PageControls(f.window()).inTrimChr->setEditText(QStringLiteral("abc"));
  PageControls(f.window()).inChangeChr->setEditText(QStringLiteral("xyz"));
  f.onDialog([](QDialog& dialog) { return RunDialogAnswer(dialog, "BtnYes"); });
  f.window().StartRun();
  QCOMPARE(ReadFile(tree.file("moved/a.txt")), std::string("xyz\r\n"));
  QCOMPARE(ReadFile(outside.file("a.txt")), std::string("abc\r\n"));
  QVERIFY(f.host().boxes.empty());
}

void WindowTest::cancelDisabledForOneFile() {
  WindowFixture f;
  test::TempDir data;
  WriteFile(data.file("a.txt"), "x\r\n");
  DropPaths(f.window().targetList(), {Q(data.file("a.txt"))});
  f.window().setMode(1);
  bool cancelEnabled = true;
  bool cancelShown = false;
  f.onDialog([&](QDialog& dialog) {
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("BtnCancel"));
    ClickButton(dialog, "BtnYes");
    cancelShown = !cancel->isHidden();
    cancelEnabled = cancel->isEnabled();
    return dialog.result();
  });
  f.window().StartRun();
  QVERIFY(cancelShown);
  QVERIFY(!cancelEnabled);
}

void WindowTest::comboRunFromDroppedFile() {
  WindowFixture f;
  test::TempDir data;
  WriteFile(data.file("a.txt"), "  abc  \r\n\r\nabc\r\n");
  WriteFile(data.file("steps1.txt"), Sjis("#,整形,#\r\n5,1,0,1,0,1,#\r\n"));
  WriteFile(data.file("steps2.txt"), "0,0,abc,0,xyz,#\r\n");
  DropPaths(f.window().targetList(), {Q(data.file("a.txt"))});
  f.window().setMode(6);
  DropPaths(PageControls(f.window()).TextCombo,
            {Q(data.file("steps1.txt")), Q(data.file("steps2.txt"))});
  QCOMPARE(f.window().combo().steps.size(), size_t{2});
  QCOMPARE(PageControls(f.window()).TextCombo->toPlainText(),
           Q("<< 整形 >>\n空白行・文字削除　空白行削除 LeftSP RightSP\n"
             "文字列置換　置換前文字列 abc  置換後文字列 xyz\n"));
  QCOMPARE(f.find<QAction>("MenuCOMBORecent0")->text(), Q(data.file("steps2.txt")));
  QCOMPARE(f.find<QAction>("MenuCOMBORecent1")->text(), Q(data.file("steps1.txt")));
  QString question;
  f.onDialog([&](QDialog& dialog) {
    question = dialog.findChild<QLabel*>(QStringLiteral("LblWaitMsg"))->text();
    return RunDialogAnswer(dialog, "BtnYes");
  });
  f.window().StartRun();
  QCOMPARE(question, Q("1 File の 2 処理連続実行（COMBO!!）を開始します\nよろしいですか？"));
  QCOMPARE(ReadFile(data.file("a.txt")), std::string("xyz\r\nxyz\r\n"));
  QVERIFY(test::FileExists(data.file("a.txt_BK")));
}

// The bars count what is done: empty at the start (a run of one file too), full
// at the end, while the label names the file and the step in progress.
void WindowTest::progressBarsCountWhatIsDone() {
  struct Case {
    const char* name;
    bool combo;
    QStringList files;
    QStringList bars;  // the file bar, and the step bar where there is one
  } cases[] = {
      {"one file", false, {"a.txt"}, {"処理済み 0 / 1", "処理済み 1 / 1"}},
      {"COMBO!!, two files of three steps",
       true,
       {"a.txt", "b.txt"},
       {"処理済み 0 / 2, 処理済み 0 / 3", "処理済み 0 / 2, 処理済み 1 / 3",
        "処理済み 0 / 2, 処理済み 2 / 3", "処理済み 1 / 2, 処理済み 0 / 3",
        "処理済み 1 / 2, 処理済み 1 / 3", "処理済み 1 / 2, 処理済み 2 / 3",
        "処理済み 2 / 2, 処理済み 3 / 3"}},
  };
  for (const Case& c : cases) {
    WindowFixture f;
    test::TempDir data;
    QStringList paths;
    for (const QString& name : c.files) {
      WriteFile(data.file(name.toStdString()), "abc\r\n");
      paths << Q(data.file(name.toStdString()));
    }
    WriteFile(data.file("steps.txt"), "0,0,a,0,b,#\r\n0,0,b,0,c,#\r\n1,#\r\n");
    DropPaths(f.window().targetList(), paths);
    f.window().setMode(c.combo ? 6 : 1);
    if (c.combo) DropPaths(f.find<QWidget>("TextCombo"), {Q(data.file("steps.txt"))});
    f.onDialog([](QDialog& dialog) { return RunDialogAnswer(dialog, "BtnYes"); });
    f.window().StartRun();

    ui::RunDialog dialog(QString(), true, {}, {});
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("LblWaitMsg"));
    auto* files = dialog.findChild<QProgressBar*>(QStringLiteral("ProgressFiles"));
    auto* steps = dialog.findChild<QProgressBar*>(QStringLiteral("ProgressSteps"));
    QStringList shown;
    for (const RunProgress& progress : f.host().progress) {
      dialog.showProgress(progress);
      if (c.combo) {
        // The label counts from the file and step in progress, the bars what is done.
        const int file = Counter(label->text(), QStringLiteral("FILE")).section(u' ', 0, 0).toInt();
        QVERIFY(files->value() == file - 1 || files->value() == files->maximum());
      }
      shown << (steps->isHidden() ? files->text()
                                  : files->text() + QStringLiteral(", ") + steps->text());
    }
    QVERIFY2(shown == c.bars, qPrintable(shown.join(u'|')));
  }
}

void WindowTest::exportLines() {
  WindowFixture f;
  PageControls p(f.window());
  struct Case {
    int mode;
    std::function<void()> set;
    QString line;
  };
  const Case cases[] = {
      {3,
       [p] {
         p.inStartChr->setEditText(QStringLiteral("BEGIN"));
         p.inEndChr->setEditText(QStringLiteral("END"));
       },
       QStringLiteral("3,BEGIN,END,#")},
      {0,
       [p] {
         p.inTrimChr->setEditText(QStringLiteral("abc"));
         p.inChangeChr->setEditText(QStringLiteral("xyz"));
         p.OptAfterAct[1]->setChecked(true);
       },
       QStringLiteral("0,0,abc,0,xyz,#")},
      {1, [] {}, QStringLiteral("1,#")},
      {4,
       [p] {
         p.inSrcChr[0]->setEditText(QStringLiteral("A"));
         p.inSrcChr[1]->setEditText(QStringLiteral("B"));
         p.inSrcChr[2]->setEditText(QStringLiteral("C"));
         p.m4ChkOR[1]->setChecked(true);
       },
       QStringLiteral("4,A,True,B,False,C,#")},
  };
  for (const Case& c : cases) {
    f.window().setMode(c.mode);
    c.set();
    QString line, title, prompt;
    f.onDialog([&](QDialog& dialog) {
      auto& box = static_cast<QInputDialog&>(dialog);
      line = box.textValue();
      title = box.windowTitle();
      prompt = box.labelText();
      return 0;
    });
    f.find<QAction>("MenuCmbEdit")->trigger();
    QCOMPARE(line, c.line);
    QCOMPARE(title, Q("連続技/COMBO!!編集 テキストデータ"));
    QCOMPARE(prompt, Q("この処理に対する連続技の引数は下記のようになります。\n"
                       "下記テキストをコピーして１行毎にご利用ください。"));
  }
  QVERIFY(f.host().boxes.empty());
}

void WindowTest::exportRefusedInComboMode() {
  WindowFixture f;
  f.window().setMode(6);
  f.find<QAction>("MenuCmbEdit")->trigger();
  QCOMPARE(f.host().texts(), std::vector<std::string>{"この処理の連続技はできません。"});
  QCOMPARE(f.dialogsRun(), 0);
}

void WindowTest::helpWithoutHelpFilesReturns() {
  WindowFixture f;
  f.window().setHelpFolder(QStringLiteral("/nonexistent/help"));
  for (const char* item : {"MenuHelpContents", "MenuHelpSearch", "MenuHelpCOMBO"}) {
    f.find<QAction>(item)->trigger();
  }
  QCOMPARE(f.host().boxes.size(), size_t{3});
  for (const auto& box : f.host().boxes) {
    QCOMPARE(box.icon, BoxIcon::None);
    QCOMPARE(box.title, std::string("Kadrel"));
    QVERIFY(!box.text.empty());
  }
  QVERIFY(f.window().helpViewer() == nullptr);
}

void WindowTest::helpEntryPoints() {
  WindowFixture f;
  const QString folder = ui::FindHelpFolder();
  QVERIFY(!folder.isEmpty());
  std::vector<ui::HelpTopic> topics;
  QString error;
  QVERIFY(ui::ReadHelpTopics(folder, topics, error));
  for (const ui::HelpTopic& t : topics) {
    QVERIFY2(QFile::exists(QDir(folder).filePath(t.file)), qPrintable(t.file));
  }
  f.window().setHelpFolder(folder);
  f.find<QAction>("MenuHelpCOMBO")->trigger();
  QVERIFY(f.window().helpViewer() != nullptr);
  QCOMPARE(f.window().helpViewer()->currentFile(), QStringLiteral("combo.html"));
  f.find<QAction>("MenuHelpContents")->trigger();
  auto* tabs = f.window().helpViewer()->findChild<QTabWidget*>(QStringLiteral("HelpTabs"));
  QCOMPARE(tabs->currentIndex(), 0);
  f.find<QAction>("MenuHelpSearch")->trigger();
  QCOMPARE(tabs->currentIndex(), 1);
  auto* keyword = f.window().helpViewer()->findChild<QLineEdit*>(QStringLiteral("HelpKeyword"));
  auto* hits = f.window().helpViewer()->findChild<QListWidget*>(QStringLiteral("HelpKeywordList"));
  keyword->setText(QStringLiteral("ａｎｄ").normalized(QString::NormalizationForm_KC));
  QVERIFY(hits->count() > 0);
  QVERIFY(hits->item(0)->text().startsWith(QStringLiteral("AND")));
  QVERIFY(f.host().boxes.empty());
  f.window().helpViewer()->close();
}

void WindowTest::versionBoxLines() {
  WindowFixture f;
  const QString help = ui::FindHelpFolder();
  f.window().setHelpFolder(help);
  f.find<QAction>("MenuVer")->trigger();
  QCOMPARE(f.host().boxes.size(), size_t{1});
  const auto& box = f.host().boxes[0];
  QCOMPARE(box.icon, BoxIcon::Information);
  const QStringList lines = Q(box.text).split(QStringLiteral("\r\n"));
  QCOMPARE(lines.size(), 6);
  QCOMPARE(lines[0], QStringLiteral("Kadrel        Version %1.%2.%3")
                         .arg(KADREL_VERSION_MAJOR)
                         .arg(KADREL_VERSION_MINOR)
                         .arg(KADREL_VERSION_PATCH));
  QCOMPARE(lines[1], Q("ﾃｷｽﾄ形式ﾌｧｲﾙの文字列制御を行います"));
  QVERIFY(lines[2].isEmpty() && lines[4].isEmpty());
  // Until the project has a site, the home page is the overview page of the help.
  QCOMPARE(lines[5], QStringLiteral("file://") + help + QStringLiteral("/index.html"));
  QVERIFY(QFile::exists(help + QStringLiteral("/index.html")));
}

// Every top-level window's title, as the window system shows it.
void WindowTest::titlesReadExactlyAsWritten() {
  ui::SetUpApplication();
  QVERIFY(!DisplayNameAppendedToTitles());
  WindowFixture f;
  DropFolder d;
  DropPaths(f.window().targetList(), {d.path("b.txt")});
  f.window().setMode(1);
  QStringList titles{f.window().windowTitle()};
  for (int i = 0; i < 3; ++i) {
    f.onDialog([&titles](QDialog& dialog) {
      titles << dialog.windowTitle();
      return 0;
    });
  }
  f.window().StartRun();
  f.find<QAction>("MenuOption")->trigger();
  f.find<QAction>("MenuCmbEdit")->trigger();
  f.window().setHelpFolder(ui::FindHelpFolder());
  f.find<QAction>("MenuHelpContents")->trigger();
  titles << f.window().helpViewer()->windowTitle();
  f.window().helpViewer()->close();
  ui::QtHost host;
  for (const char* title : {"", "File Open Error"}) {
    QTimer::singleShot(0, [&titles] {
      QWidget* box = QApplication::activeModalWidget();
      titles << box->windowTitle();
      box->close();
    });
    MessageBoxRequest box;
    box.text = "x";
    box.title = title;
    host.showMessage(box);
  }
  QCOMPARE(titles, (QStringList{QStringLiteral("Kadrel   Ver. %1.%2.%3")
                                    .arg(KADREL_VERSION_MAJOR)
                                    .arg(KADREL_VERSION_MINOR)
                                    .arg(KADREL_VERSION_PATCH),
                                QStringLiteral(" Kadrel"), Q("ｵﾌﾟｼｮﾝの設定"),
                                Q("連続技/COMBO!!編集 テキストデータ"), Q("Kadrel ヘルプ"),
                                QStringLiteral("Kadrel"), QStringLiteral("File Open Error")}));
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
