// kadrel: the desktop program. Paths given on the command line are taken as a
// drop on the target file list.
#include <QApplication>
#include <QFileInfo>

#include "core/program_folder.h"
#include "io/file_layer.h"
#include "io/line_io.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/qt_host.h"

int main(int argc, char* argv[]) {
  if (const std::optional<int> status = kadrel::ui::AnswerInfoOptions(argc, argv)) return *status;
  kadrel::KeepLineBuffersOnTheHeap();

  kadrel::ui::BeginStartUpGuard();
  QApplication app(argc, argv);
  kadrel::ui::EndStartUpGuard();
  kadrel::ui::SetUpApplication();
  kadrel::RaiseOpenFileLimit();  // dropped folders stay open while they are listed

  kadrel::ui::QtHost host;
  kadrel::ui::MainWindow window(host, kadrel::ProgramFolder());
  host.attach(&window);

  // The list holds full path names: paths given relative to the current folder are
  // completed.
  QStringList paths;
  for (const QString& arg : kadrel::ui::PathArguments(QApplication::arguments())) {
    paths << (arg.isEmpty() ? arg : QFileInfo(arg).absoluteFilePath());
  }
  if (!paths.isEmpty()) window.dropTargets(paths);
  window.show();
  return QApplication::exec();
}
