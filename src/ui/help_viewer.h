// The help window: the program's own Japanese help pages in a text browser, with
// a contents list, a keyword search and topics opened by context number.
//
// A help folder holds the HTML pages and "topics.tsv", one topic a line:
//   file <TAB> title <TAB> keywords separated by ";" <TAB> context number (or empty)
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;

namespace kadrel::ui {

struct HelpTopic {
  QString file;
  QString title;
  QStringList keywords;
  int context = 0;  // 0: none
};

// Reads a help folder's topic table; false with a message when it cannot be read.
bool ReadHelpTopics(const QString& folder, std::vector<HelpTopic>& topics, QString& error);

// The help folder: beside the program ("help"), in the installed data folder
// (share/kadrel/help), or the one the program was built with. Empty when none has
// a topic table.
QString FindHelpFolder();

class HelpViewer : public QWidget {
  Q_OBJECT
 public:
  HelpViewer(QString folder, std::vector<HelpTopic> topics, QWidget* parent = nullptr);

  // The help calls: the contents, the keyword search, a topic by context number
  // (false when no topic has that number).
  void showContents();
  void showSearch();
  bool showContext(int context);

  QString currentFile() const;

 private:
  void openTopic(int index);
  void filterKeywords(const QString& typed);

  QString folder_;
  std::vector<HelpTopic> topics_;
  QTabWidget* tabs_;
  QListWidget* contents_;
  QLineEdit* keywordEdit_;
  QListWidget* keywordList_;
  QTextBrowser* browser_;
};

}  // namespace kadrel::ui
