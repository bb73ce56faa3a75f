#include "ui/application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/look.h"

namespace kadrel::ui {

namespace {

constexpr const char* kHelp =
    "Usage: kadrel [OPTION]... [PATH]...\n"
    "Opens the Kadrel window, a desktop program with a Japanese interface that\n"
    "rewrites or filters plain text files in bulk. Each PATH, a file or a folder,\n"
    "is listed as if it had been dropped on the window.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "  -V, --version  print the version and exit\n"
    "  --             take the arguments after it as PATHs, also those beginning\n"
    "                 with -\n"
    "Qt's own options (-platform, -style, ...) are read as Qt reads them.\n"
    "\n"
    "kadrel-cli runs the same steps without a window (kadrel-cli --help).\n";

QtMessageHandler previousHandler = nullptr;

void StartUpMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtFatalMsg) {
    if (previousHandler != nullptr) previousHandler(type, context, text);
    return;
  }
  const bool noDisplay = std::getenv("DISPLAY") == nullptr &&
                         std::getenv("WAYLAND_DISPLAY") == nullptr &&
                         std::getenv("QT_QPA_PLATFORM") == nullptr;
  std::fprintf(stderr, "kadrel: %s\nkadrel: %s\n", text.toLocal8Bit().constData(),
               noDisplay ? "画面がありません（DISPLAY も WAYLAND_DISPLAY も設定されていません）。"
                           "ウィンドウなしで処理するには kadrel-cli を使ってください。"
                         : "ウィンドウを開けません。");
  std::fflush(stderr);
  std::_Exit(1);  // Qt is half set up: no clean-up may run
}

}  // namespace

std::optional<int> AnswerInfoOptions(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--") == 0) break;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      std::fputs(kHelp, stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "-V") == 0) {
      std::printf("kadrel %d.%d.%d\n", KADREL_VERSION_MAJOR, KADREL_VERSION_MINOR,
                  KADREL_VERSION_PATCH);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
  }
  return std::nullopt;
}

QStringList PathArguments(const QStringList& arguments) {
  QStringList paths = arguments.mid(1);
  if (const qsizetype separator = paths.indexOf(QStringLiteral("--")); separator >= 0)
    paths.removeAt(separator);
  return paths;
}

void BeginStartUpGuard() {
  previousHandler = qInstallMessageHandler(StartUpMessage);
}

void EndStartUpGuard() {
  qInstallMessageHandler(previousHandler);
}

void SetUpApplication() {
  QApplication::setApplicationName(QStringLiteral("Kadrel"));
  // The desktop entry's name, so that desktops match the window to its entry.
  QApplication::setDesktopFileName(QStringLiteral("org.kadrel.Kadrel"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("kadrel")));

  // The interface is Japanese, Qt's own buttons and dialogs included.
  auto* qtTranslator = new QTranslator(QCoreApplication::instance());
  if (qtTranslator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(qtTranslator);
  }
  QApplication::setFont(ProportionalFont(9));
}

}  // namespace kadrel::ui
