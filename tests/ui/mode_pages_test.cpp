// The mode pages: enable rules with their backgrounds, the digit filter, Clear,
// and the shared input history.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QtTest>

#include "ui/look.h"
#include "window_fixture.h"

using kadrel::test::PageControls;
using kadrel::test::WindowFixture;
using kadrel::ui::HasInputBackground;

namespace {

// Enabled with the input background (white in a light scheme), or disabled with
// the button face.
bool FieldOn(QWidget* w) {
  return w->isEnabled() && HasInputBackground(w);
}
bool FieldOff(QWidget* w) {
  return !w->isEnabled() && !HasInputBackground(w);
}

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

}  // namespace

class ModePagesTest : public QObject {
  Q_OBJECT
 private slots:
  void replacementSideTabExcludesCrLf();
  void crAndLfGoTogetherAndExcludeTab();
  void findSideTabDisablesSearchField();
  void multiLineChoiceSwapsFields();
  void headTailActionEnablesItsControls();
  void digitFilterKeepsDigitsOnly();
  void clearResetsListedFieldsOnly();
  void historyMergesFirstPlaceWithoutDuplicates();
  void historyCapsAtTwentyAndIgnoresBlanks();
  void typedTextStaysAsTyped();
};

void ModePagesTest::replacementSideTabExcludesCrLf() {
  WindowFixture f;
  PageControls p(f.window());
  QVERIFY(FieldOn(p.inChangeChr));
  p.ChkTab[1]->setChecked(true);
  QVERIFY(!p.ChkCR1->isEnabled());
  QVERIFY(!p.ChkLF1->isEnabled());
  QVERIFY(FieldOff(p.inChangeChr));
  p.ChkTab[1]->setChecked(false);
  QVERIFY(p.ChkCR1->isEnabled());
  QVERIFY(p.ChkLF1->isEnabled());
  QVERIFY(p.ChkTab[1]->isEnabled());
  QVERIFY(FieldOn(p.inChangeChr));
}

void ModePagesTest::crAndLfGoTogetherAndExcludeTab() {
  WindowFixture f;
  PageControls p(f.window());
  p.ChkCR1->setChecked(true);
  QVERIFY(!p.ChkTab[1]->isEnabled());
  QVERIFY(p.ChkLF1->isEnabled());
  QVERIFY(FieldOff(p.inChangeChr));
  p.ChkLF1->setChecked(true);
  QVERIFY(p.ChkCR1->isEnabled());
  p.ChkCR1->setChecked(false);
  QVERIFY(!p.ChkTab[1]->isEnabled());  // LF still checked
  p.ChkLF1->setChecked(false);
  QVERIFY(p.ChkTab[1]->isEnabled());
  QVERIFY(FieldOn(p.inChangeChr));
}

void ModePagesTest::findSideTabDisablesSearchField() {
  WindowFixture f;
  PageControls p(f.window());
  p.ChkTab[0]->setChecked(true);
  QVERIFY(FieldOff(p.inTrimChr));
  p.ChkTab[0]->setChecked(false);
  QVERIFY(FieldOn(p.inTrimChr));
}

void ModePagesTest::multiLineChoiceSwapsFields() {
  WindowFixture f;
  PageControls p(f.window());
  QVERIFY(FieldOff(p.TxtAfterWord));
  p.ChkCR1->setChecked(true);
  p.OptAfterAct[1]->setChecked(true);
  QVERIFY(!p.ChkTab[1]->isEnabled());
  QVERIFY(!p.ChkCR1->isEnabled());
  QVERIFY(!p.ChkLF1->isEnabled());
  QVERIFY(FieldOff(p.inChangeChr));
  QVERIFY(FieldOn(p.TxtAfterWord));
  // Back to the single string: the interlock of the check boxes applies again.
  p.OptAfterAct[0]->setChecked(true);
  QVERIFY(FieldOff(p.TxtAfterWord));
  QVERIFY(p.ChkCR1->isEnabled());
  QVERIFY(p.ChkLF1->isEnabled());
  QVERIFY(!p.ChkTab[1]->isEnabled());
  QVERIFY(FieldOff(p.inChangeChr));
}

void ModePagesTest::headTailActionEnablesItsControls() {
  WindowFixture f;
  PageControls p(f.window());
  struct Case {
    int action;
    int stringOption;
    bool options, spaces, text, numbering;
  };
  const Case cases[] = {
      {0, 0, false, false, false, false}, {1, 0, true, true, false, false},
      {1, 1, true, false, true, false},   {2, 1, false, false, false, true},
      {0, 0, false, false, false, false},
  };
  for (const Case& c : cases) {
    p.StringOption[c.stringOption]->setChecked(true);
    p.AddCombo->setCurrentIndex(c.action);
    const QString what = QStringLiteral("action %1 option %2").arg(c.action).arg(c.stringOption);
    QVERIFY2(p.StringOption[0]->isEnabled() == c.options, qPrintable(what));
    QVERIFY2(p.StringOption[1]->isEnabled() == c.options, qPrintable(what));
    QVERIFY2(c.spaces ? FieldOn(p.SpColCombo) : FieldOff(p.SpColCombo), qPrintable(what));
    QVERIFY2(c.text ? FieldOn(p.StringText) : FieldOff(p.StringText), qPrintable(what));
    QVERIFY2(c.numbering ? FieldOn(p.StartCombo) : FieldOff(p.StartCombo), qPrintable(what));
    QVERIFY2(c.numbering ? FieldOn(p.SkipCombo) : FieldOff(p.SkipCombo), qPrintable(what));
  }
}

void ModePagesTest::digitFilterKeepsDigitsOnly() {
  WindowFixture f;
  PageControls p(f.window());
  f.window().setMode(2);
  f.window().show();
  QLineEdit* edit = p.ColCombo->lineEdit();
  edit->setText(QStringLiteral("6"));
  edit->setCursorPosition(1);
  QTest::keyClick(edit, Qt::Key_A);
  QCOMPARE(p.ColCombo->currentText(), QStringLiteral("6"));
  QTest::keyClick(edit, Qt::Key_Minus);
  QCOMPARE(p.ColCombo->currentText(), QStringLiteral("6"));
  QTest::keyClick(edit, Qt::Key_2);
  QCOMPARE(p.ColCombo->currentText(), QStringLiteral("62"));
  QTest::keyClick(edit, Qt::Key_Backspace);
  QCOMPARE(p.ColCombo->currentText(), QStringLiteral("6"));
}

void ModePagesTest::clearResetsListedFieldsOnly() {
  WindowFixture f;
  PageControls p(f.window());
  f.window().setMode(4);
  for (QComboBox* c : p.inSrcChr) c->setEditText(QStringLiteral("x"));
  p.m4ChkOR[0]->setChecked(true);
  p.m4ChkOR[1]->setChecked(true);
  p.ChkCR1->setChecked(true);
  p.OptPosition[1]->setChecked(true);
  p.ColCombo->setEditText(QStringLiteral("12"));
  p.AddCombo->setCurrentIndex(2);
  p.TxtAfterWord->setPlainText(QStringLiteral("kept"));

  auto* clear = f.find<QAction>("MenuClear");
  QVERIFY(clear != nullptr);
  clear->trigger();

  QCOMPARE(f.window().mode(), 4);
  QCOMPARE(p.pages->currentWidget(), p.page(4));
  for (QComboBox* c : p.inSrcChr) QVERIFY(c->currentText().isEmpty());
  QVERIFY(p.m4ChkAND[0]->isChecked());
  QVERIFY(p.m4ChkAND[1]->isChecked());
  QVERIFY(p.ChkCR1->isChecked());
  QVERIFY(p.OptPosition[1]->isChecked());
  QCOMPARE(p.ColCombo->currentText(), QStringLiteral("6"));
  QCOMPARE(p.AddCombo->currentIndex(), 0);
  QCOMPARE(p.StartCombo->currentText(), QStringLiteral("000100"));
  QCOMPARE(p.SkipCombo->currentText(), QStringLiteral("100"));
  QCOMPARE(p.TxtAfterWord->toPlainText(), QStringLiteral("kept"));
  QVERIFY(FieldOff(p.StartCombo));
}

void ModePagesTest::historyMergesFirstPlaceWithoutDuplicates() {
  WindowFixture f;
  PageControls p(f.window());
  p.inTrimChr->setEditText(QStringLiteral("old"));
  f.window().MergeInputHistory();
  p.inTrimChr->setEditText(QStringLiteral("abc"));
  p.inChangeChr->setEditText(QStringLiteral("ABC"));
  p.inStartChr->setEditText(QStringLiteral("OLD"));
  f.window().MergeInputHistory();
  for (QComboBox* field : p.historyFields()) {
    QCOMPARE(Items(field), (QStringList{QStringLiteral("abc"), QStringLiteral("OLD")}));
  }
  QCOMPARE(p.inChangeChr->currentText(), QStringLiteral("ABC"));
  QCOMPARE(p.inTrimChr->currentText(), QStringLiteral("abc"));
}

void ModePagesTest::historyCapsAtTwentyAndIgnoresBlanks() {
  WindowFixture f;
  PageControls p(f.window());
  for (int i = 0; i < 25; ++i) {
    p.inTrimChr->setEditText(QStringLiteral("s%1").arg(i));
    f.window().MergeInputHistory();
  }
  p.inTrimChr->setEditText(QStringLiteral("   "));
  f.window().MergeInputHistory();
  const QStringList items = Items(p.inSrcChr[2]);
  QCOMPARE(items.size(), 20);
  QCOMPARE(items.front(), QStringLiteral("s24"));
  QCOMPARE(items.back(), QStringLiteral("s5"));
  QCOMPARE(p.inTrimChr->currentText(), QStringLiteral("   "));
}

// The history is only offered: a prefix of an entry, or an entry typed in another
// case, is used as typed, whether the field is left by Tab or by Enter.
void ModePagesTest::typedTextStaysAsTyped() {
  WindowFixture f;
  f.window().show();
  f.window().activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&f.window()));
  for (const char* entry : {"h10", "abc"}) {
    f.find<QComboBox>("inTrimChr")->setEditText(QString::fromLatin1(entry));
    f.window().MergeInputHistory();
  }
  const std::pair<const char*, int> fields[] = {
      {"inTrimChr", 0}, {"inChangeChr", 0}, {"inStartChr", 3}, {"inEndChr", 3},
      {"inSrcChr0", 4}, {"inSrcChr1", 4},   {"inSrcChr2", 4}};
  const std::pair<const char*, Qt::Key> cases[] = {
      {"h1", Qt::Key_Tab}, {"h1", Qt::Key_Return}, {"A", Qt::Key_Tab}, {"ABC", Qt::Key_Return}};
  for (const auto& [name, mode] : fields) {
    f.window().setMode(mode);
    auto* field = f.find<QComboBox>(name);
    QCOMPARE(field->count(), 2);
    for (const auto& [typed, leaveBy] : cases) {
      field->setFocus();
      field->lineEdit()->clear();
      QTest::keyClicks(field->lineEdit(), QString::fromLatin1(typed));
      QTest::keyClick(field->lineEdit(), leaveBy);
      QVERIFY2(
          field->currentText() == QString::fromLatin1(typed),
          qPrintable(QStringLiteral("%1: %2 became %3").arg(name, typed, field->currentText())));
    }
  }
  // The digit fields offer their items the same way: 1 is not completed to 10.
  f.window().setMode(2);
  auto* columns = f.find<QComboBox>("ColCombo");
  columns->setFocus();
  columns->lineEdit()->clear();
  QTest::keyClick(columns->lineEdit(), Qt::Key_1);
  QTest::keyClick(columns->lineEdit(), Qt::Key_Tab);
  QCOMPARE(columns->currentText(), QStringLiteral("1"));
}

QTEST_MAIN(ModePagesTest)
#include "mode_pages_test.moc"
