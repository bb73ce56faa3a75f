#include "ui/application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "ui/look.h"

namespace kadrel::ui {

void SetUpApplication() {
  QApplication::setApplicationName(QStringLiteral("Kadrel"));
  QApplication::setDesktopFileName(QStringLiteral("kadrel"));
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
