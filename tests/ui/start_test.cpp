// The desktop program's start: --help and --version answered without a display,
// no display told in a message with exit status 1 (never an abort), and the
// PATHs it takes from its arguments.
#include <QProcess>
#include <QtTest>

#include "ui/application.h"

class StartTest : public QObject {
  Q_OBJECT
 private slots:
  void withoutDisplay_data();
  void withoutDisplay();
  void pathArguments_data();
  void pathArguments();
};

void StartTest::withoutDisplay_data() {
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<int>("status");
  QTest::addColumn<QString>("out");  // the start of standard output
  QTest::addColumn<QString>("err");  // a part of standard error
  QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: kadrel "
                        << "";
  QTest::newRow("short help after a path") << QStringList{"a.txt", "-h"} << 0 << "Usage: kadrel "
                                           << "";
  QTest::newRow("version") << QStringList{"--version"} << 0 << "kadrel "
                           << "";
  QTest::newRow("no display") << QStringList{} << 1 << ""
                              << "ウィンドウなしで処理するには kadrel-cli を使ってください";
  QTest::newRow("help after -- is a path") << QStringList{"--", "--help"} << 1 << ""
                                           << "DISPLAY も WAYLAND_DISPLAY も設定されていません";
}

void StartTest::withoutDisplay() {
  QFETCH(QStringList, args);
  QFETCH(int, status);
  QFETCH(QString, out);
  QFETCH(QString, err);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  QProcess kadrel;
  kadrel.setProcessEnvironment(env);
  kadrel.start(QStringLiteral(KADREL_PATH), args);
  QVERIFY(kadrel.waitForFinished(30000));
  const QString shownOut = QString::fromUtf8(kadrel.readAllStandardOutput());
  const QString shownErr = QString::fromUtf8(kadrel.readAllStandardError());
  QCOMPARE(kadrel.exitStatus(), QProcess::NormalExit);  // no abort
  QCOMPARE(kadrel.exitCode(), status);
  QVERIFY2(out.isEmpty() || shownOut.startsWith(out), qPrintable(shownOut));
  QVERIFY2(shownErr.contains(err), qPrintable(shownErr));
}

void StartTest::pathArguments_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<QStringList>("paths");
  QTest::newRow("paths") << QStringList{"kadrel", "a.txt", "dir"} << QStringList{"a.txt", "dir"};
  QTest::newRow("the first -- ends the options")
      << QStringList{"kadrel", "a", "--", "-b", "--"} << QStringList{"a", "-b", "--"};
  QTest::newRow("none") << QStringList{"kadrel"} << QStringList{};
}

void StartTest::pathArguments() {
  QFETCH(QStringList, arguments);
  QFETCH(QStringList, paths);
  QCOMPARE(kadrel::ui::PathArguments(arguments), paths);
}

QTEST_MAIN(StartTest)
#include "start_test.moc"
