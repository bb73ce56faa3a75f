// The window without a mouse: files and folders added from file dialogs, taken
// out with Delete or the keyboard's popup, a preview, a run and its undo from
// the menus' keys, the help of the page on F1 and closed with Escape, COMBO!!
// files opened from the COMBO!! page.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QtTest>
#include <filesystem>

#include "ui/help_viewer.h"
#include "ui/target_list.h"
#include "ui/window_texts.h"
#include "window_fixture.h"

using namespace kadrel;
using kadrel::test::Entries;
using kadrel::test::PageControls;
using kadrel::test::Q;
using kadrel::test::ReadFile;
using kadrel::test::WindowFixture;
using kadrel::test::WriteFile;

namespace {

// A user at the keyboard of a window: keys go where the window system would
// deliver them, to an open popup menu, else to the widget with the focus. A
// dialog that closed gives the activation back to the window, as a window
// manager does.
class Keyboard {
 public:
  explicit Keyboard(QWidget& window) : window_(window) {}

  void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    if (QApplication::activePopupWidget() == nullptr && QApplication::activeWindow() == nullptr) {
      window_.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&window_));
    }
    QWidget* target = QApplication::activePopupWidget();
    if (target == nullptr) target = QApplication::focusWidget();
    if (target == nullptr) target = QApplication::activeWindow();
    QVERIFY(target != nullptr);
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    QCoreApplication::processEvents();
  }

  // An item of the 操作 menu, by its mnemonic.
  void menu(char mnemonic) {
    press(Qt::Key_M, Qt::AltModifier);
    press(Qt::Key_A + (mnemonic - 'a'));
  }

  // Tab until the focus reaches widget (or its line edit); false when it never does.
  bool tabTo(QWidget* widget) {
    for (int i = 0; i < 30; ++i) {
      QWidget* focus = QApplication::focusWidget();
      if (focus == widget || (focus != nullptr && focus->parentWidget() == widget)) return true;
      press(Qt::Key_Tab);
    }
    return false;
  }

  // Text typed where the focus is.
  void type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }

 private:
  QWidget& window_;
};

// Answers a file dialog from the keyboard: its name field holding the paths,
// each in quotes, then Enter.
int AnswerFileDialog(QDialog& dialog, const QStringList& paths) {
  auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (name == nullptr) return QDialog::Rejected;
  dialog.show();
  QStringList quoted;
  for (const QString& p : paths) quoted << QStringLiteral("\"%1\"").arg(p);
  name->setText(paths.size() == 1 ? paths[0] : quoted.join(u' '));
  QTest::keyClick(name, Qt::Key_Return);
  dialog.hide();
  return dialog.result();
}

// A folder of files: a.txt, b.txt, sub/c.txt, a backup copy.
struct Files {
  test::TempDir dir;
  Files() {
    std::filesystem::create_directory(dir.file("sub"));
    WriteFile(dir.file("a.txt"), "abc\r\n");
    WriteFile(dir.file("b.txt"), "xyz\r\n");
    WriteFile(dir.file("sub/c.txt"), "abc abc\r\n");
    WriteFile(dir.file("a.txt_BK"), "old\r\n");
  }
  QString path(const char* name) const { return Q(dir.file(name)); }
};

}  // namespace

class KeyboardTest : public QObject {
  Q_OBJECT
 private slots:
  void wholeRunFromTheKeyboard();
  void addingKeepsTheListAndFiltersAsADrop();
  void comboFileWithoutADrag();
  void helpOfEveryPage();
};

void KeyboardTest::wholeRunFromTheKeyboard() {
  WindowFixture f;
  ui::MainWindow& w = f.window();
  w.setHelpFolder(ui::FindHelpFolder());
  w.options().BkupEdit = 0;
  w.show();
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  ui::TargetList* list = w.targetList();
  QCOMPARE(QApplication::focusWidget(), list);
  Keyboard keys(w);
  Files d;

  // Files, then a folder, added from their dialogs.
  f.onDialog([&](QDialog& dialog) {
    return AnswerFileDialog(dialog, {d.path("a.txt"), d.path("b.txt")});
  });
  keys.menu('a');
  f.onDialog([&](QDialog& dialog) { return AnswerFileDialog(dialog, {d.path("sub")}); });
  keys.menu('d');
  QCOMPARE(Entries(list), (QStringList{d.path("a.txt"), d.path("b.txt"), d.path("sub/c.txt")}));

  // b.txt taken out with Delete; the popup opens from the keyboard.
  keys.press(Qt::Key_Home);
  keys.press(Qt::Key_Down);
  keys.press(Qt::Key_Delete);
  QCOMPARE(Entries(list), (QStringList{d.path("a.txt"), d.path("sub/c.txt")}));
  auto* popup = f.find<QMenu>("MenuPOPListBox");
  for (const auto& [key, modifiers] :
       {std::pair{Qt::Key_F10, Qt::ShiftModifier}, std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
    keys.press(Qt::Key_Home);
    keys.press(key, modifiers);
    QVERIFY(popup->isVisible());
    keys.press(Qt::Key_Escape);
    QVERIFY(!popup->isVisible());
  }

  // F1: the page's help; Escape closes it.
  keys.press(Qt::Key_F1);
  QVERIFY(w.helpViewer() != nullptr);
  QCOMPARE(w.helpViewer()->currentFile(), QStringLiteral("mode0.html"));
  QVERIFY(QTest::qWaitForWindowActive(w.helpViewer()));
  keys.press(Qt::Key_Escape);
  QTRY_VERIFY(w.helpViewer() == nullptr);  // closed, and deleted with it
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));

  // The step typed in, previewed, run and taken back.
  PageControls p(w);
  QVERIFY(keys.tabTo(p.inTrimChr));
  keys.type(QStringLiteral("abc"));
  QVERIFY(keys.tabTo(p.inChangeChr));
  keys.type(QStringLiteral("def"));
  QString summary;
  f.onDialog([&](QDialog& dialog) {
    summary = dialog.findChild<QLabel*>(QStringLiteral("LblPreviewSummary"))->text();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    return dialog.result();
  });
  keys.menu('v');
  QVERIFY2(summary.startsWith(QStringLiteral("書き換えるファイル 2　")), qPrintable(summary));
  QCOMPARE(ReadFile(d.dir.file("a.txt")), std::string("abc\r\n"));
  f.onDialog([](QDialog& dialog) {
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return);  // "はい", the default button
    return dialog.result();
  });
  keys.menu('s');
  QCOMPARE(ReadFile(d.dir.file("a.txt")), std::string("def\r\n"));
  QCOMPARE(ReadFile(d.dir.file("sub/c.txt")), std::string("def def\r\n"));
  QCOMPARE(ReadFile(d.dir.file("b.txt")), std::string("xyz\r\n"));  // taken out
  f.host().answers = {BoxAnswer::Yes};
  keys.menu('u');
  QCOMPARE(ReadFile(d.dir.file("a.txt")), std::string("abc\r\n"));
  QCOMPARE(ReadFile(d.dir.file("sub/c.txt")), std::string("abc abc\r\n"));
}

// Files chosen in a dialog are added to the list, each once, through the filter
// of a drop; a choice that adds nothing says so and leaves the list as it was.
void KeyboardTest::addingKeepsTheListAndFiltersAsADrop() {
  WindowFixture f;
  Files d;
  struct Step {
    QStringList chosen;
    QStringList listed;
    bool toldNothingAdded;
  } steps[] = {
      {{d.path("a.txt_BK")}, {Q("対象ファイルをドロップして下さい")}, true},
      {{d.path("b.txt")}, {d.path("b.txt")}, false},
      {{d.path("a.txt"), d.path("b.txt")}, {d.path("b.txt"), d.path("a.txt")}, false},
      {{Q(d.dir.path())}, {d.path("b.txt"), d.path("a.txt"), d.path("sub/c.txt")}, false},
      {{d.path("sub")}, {d.path("b.txt"), d.path("a.txt"), d.path("sub/c.txt")}, true},
  };
  for (const Step& s : steps) {
    f.host().boxes.clear();
    f.window().addTargets(s.chosen);
    QCOMPARE(Entries(f.window().targetList()), s.listed);
    QCOMPARE(f.host().texts() == std::vector<std::string>{ui::kNothingAddedText},
             s.toldNothingAdded);
    QCOMPARE(f.find<QLabel>("Label2")->text().toInt(),
             f.window().targetList()->holdsFiles() ? int(s.listed.size()) : 0);
  }
  // A drop still replaces what was added.
  test::DropPaths(f.window().targetList(), {d.path("a.txt")});
  QCOMPARE(Entries(f.window().targetList()), QStringList{d.path("a.txt")});
}

void KeyboardTest::comboFileWithoutADrag() {
  WindowFixture f;
  ui::MainWindow& w = f.window();
  w.show();
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  Keyboard keys(w);
  test::TempDir data;
  WriteFile(data.file("steps.txt"), "0,0,a,0,b,#\r\n1,#\r\n");
  QVERIFY(keys.tabTo(f.find<QComboBox>("modeCombo")));
  keys.press(Qt::Key_End);  // the last mode, COMBO!!
  QCOMPARE(w.mode(), 6);
  f.onDialog(
      [&](QDialog& dialog) { return AnswerFileDialog(dialog, {Q(data.file("steps.txt"))}); });
  keys.press(Qt::Key_F, Qt::AltModifier);  // "COMBO!!ファイルを開く... (&F)"
  // A button's key presses it for a moment before it acts.
  QTRY_COMPARE(w.combo().steps, (std::vector<std::string>{"0,0,a,0,b,#", "1,#"}));
  QCOMPARE(f.find<QAction>("MenuCOMBORecent0")->text(), Q(data.file("steps.txt")));
}

// F1 opens the help of the mode page shown.
void KeyboardTest::helpOfEveryPage() {
  WindowFixture f;
  ui::MainWindow& w = f.window();
  w.setHelpFolder(ui::FindHelpFolder());
  w.show();
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  Keyboard keys(w);
  const std::pair<int, const char*> pages[] = {
      {0, "mode0.html"}, {1, "mode1.html"}, {2, "mode2.html"}, {3, "mode3.html"},
      {4, "mode4.html"}, {5, "mode5.html"}, {6, "combo.html"}};
  for (const auto& [mode, file] : pages) {
    w.setMode(mode);
    keys.press(Qt::Key_F1);
    QVERIFY(w.helpViewer() != nullptr);
    QCOMPARE(w.helpViewer()->currentFile(), QString::fromLatin1(file));
    QVERIFY(QTest::qWaitForWindowActive(w.helpViewer()));
    keys.press(Qt::Key_Escape);
    QTRY_VERIFY(w.helpViewer() == nullptr);
  }
  QVERIFY(f.host().boxes.empty());
}

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
