// kadrel-screenshots: renders the main window once per mode page into PNG files,
// with a few sample files listed, and its dialogs, for the documentation; the
// preview and the main window also in a dark and a high-contrast scheme. Run it
// under the offscreen platform: kadrel-screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <utility>

#include "text/code_page.h"
#include "text/utf.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/qt_host.h"
#include "ui/qt_text.h"

namespace {

// Sample files are written in the default code page, as users' files would be.
void WriteText(const QString& path, const char* text) {
  std::ofstream out(kadrel::ui::PathFromQString(path), std::ios::binary);
  out << kadrel::CodecFor(kadrel::CodePage::CP932).encode(kadrel::Utf8ToU32(text));
}

// A desktop scheme: window, text, input base, button and selection colours.
QPalette Scheme(const char* window, const char* text, const char* base, const char* button,
                const char* highlight, const char* highlightedText) {
  QPalette p;
  for (const auto& [role, color] : {std::pair{QPalette::Window, window},
                                    {QPalette::WindowText, text},
                                    {QPalette::Base, base},
                                    {QPalette::AlternateBase, base},
                                    {QPalette::Text, text},
                                    {QPalette::Button, button},
                                    {QPalette::ButtonText, text},
                                    {QPalette::BrightText, text},
                                    {QPalette::Light, text},
                                    {QPalette::Highlight, highlight},
                                    {QPalette::HighlightedText, highlightedText},
                                    {QPalette::ToolTipBase, base},
                                    {QPalette::ToolTipText, text}}) {
    p.setColor(role, QColor(color));
  }
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
  p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
  p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
  return p;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: kadrel-screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  const QString outFolder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(outFolder);

  kadrel::ui::SetUpApplication();

  QTemporaryDir work;
  const QString samples = work.filePath(QStringLiteral("文書"));
  QDir().mkpath(samples + QStringLiteral("/2024"));
  WriteText(samples + QStringLiteral("/readme.txt"), "文書フォルダの説明\r\n");
  WriteText(samples + QStringLiteral("/2024/議事録_0412.txt"),
            "定例会議 議事録\r\n日時: 2024年4月12日 10:00-11:00\r\n"
            "出席: 山田（株式会社サンプル）、佐藤\r\n\r\n1. 前回の確認\r\n"
            "2. 株式会社サンプルからの提案について\r\n3. 次回の日程\r\n");
  WriteText(samples + QStringLiteral("/2024/議事録_0519.txt"),
            "定例会議 議事録\r\n日時: 2024年5月19日 14:00-15:00\r\n"
            "出席: 山田、佐藤、鈴木\r\n議題: 株式会社サンプル 見積書の確認\r\n");
  WriteText(samples + QStringLiteral("/顧客一覧.csv"),
            "会社名,担当\r\n株式会社サンプル,山田\r\nサンプル商事株式会社,鈴木\r\n");
  const QString combo = work.filePath(QStringLiteral("整形.txt"));
  WriteText(combo,
            "#,見出しの整形,#\r\n"
            "5,1,1,0,0,1,#\r\n"
            "0,0,株式会社,0,(株),#\r\n"
            "2,0,0,2,0,0,,000010,10,#\r\n");

  kadrel::ui::QtHost host;
  kadrel::ui::MainWindow window(host, kadrel::ui::PathFromQString(work.path()));
  host.attach(&window);
  window.dropTargets({samples});
  window.dropComboFiles({combo});
  const std::pair<const char*, QString> texts[] = {
      {"inTrimChr", QStringLiteral("株式会社")}, {"inChangeChr", QStringLiteral("(株)")},
      {"inStartChr", QStringLiteral("BEGIN")},   {"inEndChr", QStringLiteral("END")},
      {"inSrcChr0", QStringLiteral("ERROR")},    {"inSrcChr1", QStringLiteral("WARN")},
      {"inSrcChr2", QStringLiteral("2024")},
  };
  for (const auto& [name, text] : texts) {
    window.findChild<QComboBox*>(QString::fromLatin1(name))->setEditText(text);
  }
  window.show();

  int failures = 0;
  for (int mode = 0; mode <= 6; ++mode) {
    window.setMode(mode);
    QApplication::processEvents();
    const QString file = QDir(outFolder).filePath(QStringLiteral("kadrel-mode%1.png").arg(mode));
    if (!window.grab().save(file)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
      ++failures;
    }
  }
  // The dialogs: shown, rendered, then closed without effect.
  QString dialogFile;
  window.setDialogRunner([&](QDialog& dialog) {
    dialog.show();
    QApplication::processEvents();
    if (!dialog.grab().save(dialogFile)) ++failures;
    dialog.reject();
    return static_cast<int>(QDialog::Rejected);
  });
  window.setMode(0);
  dialogFile = QDir(outFolder).filePath(QStringLiteral("kadrel-run-dialog.png"));
  window.StartRun();
  dialogFile = QDir(outFolder).filePath(QStringLiteral("kadrel-options.png"));
  window.showOptions();
  dialogFile = QDir(outFolder).filePath(QStringLiteral("kadrel-preview.png"));
  window.showPreview();

  // The preview in a dark and a high-contrast scheme (qt6ct's "darker"; white on
  // black), and the main window in the dark one.
  const QPalette light = QApplication::palette();
  const std::pair<const char*, QPalette> schemes[] = {
      {"dark", Scheme("#222020", "#ffffff", "#3d3d3d", "#424245", "#12608a", "#f9f9f9")},
      {"contrast", Scheme("#000000", "#ffffff", "#000000", "#000000", "#1aebff", "#000000")},
  };
  for (const auto& [name, palette] : schemes) {
    QApplication::setPalette(palette);
    dialogFile = QDir(outFolder).filePath(QStringLiteral("kadrel-preview-%1.png").arg(name));
    window.showPreview();
  }
  {
    QApplication::setPalette(schemes[0].second);
    kadrel::ui::MainWindow dark(host, kadrel::ui::PathFromQString(work.path()));
    dark.dropTargets({samples});
    dark.setMode(2);
    dark.show();
    QApplication::processEvents();
    if (!dark.grab().save(QDir(outFolder).filePath(QStringLiteral("kadrel-dark.png")))) ++failures;
    dark.hide();
  }
  QApplication::setPalette(light);

  // 元に戻す: a run made, then its confirmation rendered and declined.
  window.setDialogRunner([](QDialog& dialog) {
    if (auto* yes = dialog.findChild<QPushButton*>(QStringLiteral("BtnYes"))) yes->click();
    return dialog.result();
  });
  window.StartRun();
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr ||
        !box->grab().save(QDir(outFolder).filePath(QStringLiteral("kadrel-undo.png"))))
      ++failures;
    if (auto* message = qobject_cast<QMessageBox*>(box)) {
      for (QAbstractButton* button : message->buttons()) {
        if (message->buttonRole(button) == QMessageBox::NoRole) button->click();
      }
    }
  });
  window.undoLastRun();

  window.showHelp(kadrel::ui::MainWindow::kHelpContext, kadrel::ui::MainWindow::kComboHelpContext);
  if (kadrel::ui::HelpViewer* help = window.helpViewer()) {
    QApplication::processEvents();
    if (!help->grab().save(QDir(outFolder).filePath(QStringLiteral("kadrel-help.png")))) ++failures;
    help->close();
  }
  return failures == 0 ? 0 : 1;
}
