// kadrel: the desktop program. Paths given on the command line are taken as a
// drop on the target file list.
#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "core/program_folder.h"
#include "ui/look.h"
#include "ui/main_window.h"
#include "ui/qt_host.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kadrel"));
  QApplication::setApplicationDisplayName(QStringLiteral("Kadrel"));
  QApplication::setDesktopFileName(QStringLiteral("kadrel"));

  // The interface is Japanese, Qt's own buttons and dialogs included.
  QTranslator qtTranslator;
  if (qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTranslator);
  }
  QApplication::setFont(kadrel::ui::ProportionalFont(9));

  kadrel::ui::QtHost host;
  kadrel::ui::MainWindow window(host, kadrel::ProgramFolder());
  host.attach(&window);

  // The list holds full path names: paths given relative to the current folder are
  // completed.
  QStringList paths;
  for (const QString& arg : QApplication::arguments().mid(1)) {
    paths << (arg.isEmpty() ? arg : QFileInfo(arg).absoluteFilePath());
  }
  if (!paths.isEmpty()) window.dropTargets(paths);
  window.show();
  return QApplication::exec();
}
