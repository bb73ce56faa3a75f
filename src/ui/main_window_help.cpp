// The help menu: the help window's three entry points, the version box and the
// home page.
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include "ui/help_viewer.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/window_texts.h"

namespace kadrel::ui {

void MainWindow::showHelp(int command, int data) {
  QString error;
  if (helpViewer_ == nullptr) {
    std::vector<HelpTopic> topics;
    if (helpFolder_.isEmpty()) {
      error = QStringLiteral("ヘルプ ファイルが見つかりません。");
    } else if (ReadHelpTopics(helpFolder_, topics, error)) {
      helpViewer_ = new HelpViewer(helpFolder_, std::move(topics), this);
      helpViewer_->setAttribute(Qt::WA_DeleteOnClose);
    }
  }
  if (helpViewer_ != nullptr) {
    if (command == kHelpSearch) {
      helpViewer_->showSearch();
    } else if (command == kHelpContext) {
      if (!helpViewer_->showContext(data)) {
        error = QStringLiteral("ヘルプ トピック %1 が見つかりません。").arg(data);
      }
    } else {
      helpViewer_->showContents();
    }
  }
  if (!error.isEmpty())
    message(ToUtf8(error), BoxIcon::None, BoxButtons::Ok, BoxAnswer::Ok, "Kadrel");
}

// The help pages of the mode pages carry the context numbers 100 (mode 0) to 150
// (mode 5); COMBO!!'s is the COMBO!! topic.
void MainWindow::showPageHelp() {
  constexpr int kModePageContext = 100;
  showHelp(kHelpContext,
           comboModeShown() ? kComboHelpContext : kModePageContext + 10 * std::max(0, mode()));
}

// The project's site once it has one; until then the overview page of the help
// that ships with the program. Empty when neither exists.
QString MainWindow::homePageAddress() const {
  const QString site = ToQString(ProjectSite());
  if (!site.isEmpty()) return site;
  if (helpFolder_.isEmpty()) return {};
  return QUrl::fromLocalFile(QDir(helpFolder_).filePath(QStringLiteral("index.html"))).toString();
}

void MainWindow::showVersion() {
  message(VersionBoxText(ToUtf8(homePageAddress())), BoxIcon::Information);
}

// Hands the address to the user's browser; a failure is not reported.
void MainWindow::openHomePage() {
  const QString address = homePageAddress();
  if (!address.isEmpty()) QDesktopServices::openUrl(QUrl(address));
}

}  // namespace kadrel::ui
