#include "ui/help_viewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextStream>
#include <QUrl>
#include <QVBoxLayout>

namespace kadrel::ui {

namespace {

constexpr int kTopicRole = Qt::UserRole;

}  // namespace

bool ReadHelpTopics(const QString& folder, std::vector<HelpTopic>& topics, QString& error) {
  topics.clear();
  QFile file(QDir(folder).filePath(QStringLiteral("topics.tsv")));
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    error = QStringLiteral("ヘルプ ファイル %1 を開けません。")
                .arg(QDir::toNativeSeparators(file.fileName()));
    return false;
  }
  QTextStream in(&file);
  in.setEncoding(QStringConverter::Utf8);
  while (!in.atEnd()) {
    const QString line = in.readLine();
    if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const QStringList cells = line.split(QLatin1Char('\t'));
    if (cells.size() < 2) continue;
    HelpTopic topic;
    topic.file = cells[0].trimmed();
    topic.title = cells[1].trimmed();
    if (cells.size() > 2) {
      for (const QString& k : cells[2].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        topic.keywords << k.trimmed();
      }
    }
    if (cells.size() > 3) topic.context = cells[3].trimmed().toInt();
    topics.push_back(topic);
  }
  if (topics.empty()) {
    error = QStringLiteral("ヘルプ ファイル %1 にトピックがありません。")
                .arg(QDir::toNativeSeparators(file.fileName()));
    return false;
  }
  return true;
}

QString FindHelpFolder() {
  const QString programDir = QCoreApplication::applicationDirPath();
  const QStringList candidates = {
      programDir + QStringLiteral("/help"),
      programDir + QStringLiteral("/../share/kadrel/help"),
      QStringLiteral(KADREL_HELP_DIR),
  };
  for (const QString& c : candidates) {
    if (QFile::exists(QDir(c).filePath(QStringLiteral("topics.tsv"))))
      return QDir(c).absolutePath();
  }
  return {};
}

HelpViewer::HelpViewer(QString folder, std::vector<HelpTopic> topics, QWidget* parent)
    : QWidget(parent, Qt::Window), folder_(std::move(folder)), topics_(std::move(topics)) {
  setObjectName(QStringLiteral("HelpViewer"));
  setWindowTitle(QStringLiteral("Kadrel ヘルプ"));

  contents_ = new QListWidget;
  contents_->setObjectName(QStringLiteral("HelpContents"));
  for (size_t i = 0; i < topics_.size(); ++i) {
    auto* item = new QListWidgetItem(topics_[i].title, contents_);
    item->setData(kTopicRole, static_cast<int>(i));
  }

  auto* searchPage = new QWidget;
  keywordEdit_ = new QLineEdit;
  keywordEdit_->setObjectName(QStringLiteral("HelpKeyword"));
  keywordEdit_->setPlaceholderText(QStringLiteral("キーワードを入力"));
  keywordList_ = new QListWidget;
  keywordList_->setObjectName(QStringLiteral("HelpKeywordList"));
  auto* searchBox = new QVBoxLayout(searchPage);
  searchBox->addWidget(new QLabel(QStringLiteral("探したい語の最初の数文字:")));
  searchBox->addWidget(keywordEdit_);
  searchBox->addWidget(keywordList_, 1);

  tabs_ = new QTabWidget;
  tabs_->setObjectName(QStringLiteral("HelpTabs"));
  tabs_->addTab(contents_, QStringLiteral("目次"));
  tabs_->addTab(searchPage, QStringLiteral("キーワード"));

  browser_ = new QTextBrowser;
  browser_->setObjectName(QStringLiteral("HelpBrowser"));
  browser_->setSearchPaths({folder_});
  // The pages' look, applied to every page shown.
  QFile css(QDir(folder_).filePath(QStringLiteral("style.css")));
  if (css.open(QIODevice::ReadOnly | QIODevice::Text)) {
    browser_->document()->setDefaultStyleSheet(QString::fromUtf8(css.readAll()));
  }
  browser_->setOpenExternalLinks(true);

  auto* split = new QSplitter;
  split->addWidget(tabs_);
  split->addWidget(browser_);
  split->setStretchFactor(1, 1);
  split->setSizes({270, 590});
  auto* box = new QHBoxLayout(this);
  box->setContentsMargins(4, 4, 4, 4);
  box->addWidget(split);
  resize(880, 580);

  connect(contents_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) openTopic(contents_->item(row)->data(kTopicRole).toInt());
  });
  connect(keywordEdit_, &QLineEdit::textChanged, this, &HelpViewer::filterKeywords);
  connect(keywordList_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { openTopic(item->data(kTopicRole).toInt()); });
  connect(keywordList_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { openTopic(item->data(kTopicRole).toInt()); });
  connect(keywordEdit_, &QLineEdit::returnPressed, this, [this] {
    if (keywordList_->count() > 0) openTopic(keywordList_->item(0)->data(kTopicRole).toInt());
  });
  filterKeywords({});
  // Escape closes the help, as it closes a dialog.
  auto* closeKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(closeKey, &QShortcut::activated, this, &QWidget::close);
}

void HelpViewer::openTopic(int index) {
  if (index < 0 || index >= static_cast<int>(topics_.size())) return;
  browser_->setSource(QUrl::fromLocalFile(QDir(folder_).filePath(topics_[index].file)));
}

// The keyword index: every keyword of every topic, sorted; typing narrows it to the
// keywords that begin with the typed text (ignoring case), then to those that hold it.
void HelpViewer::filterKeywords(const QString& typed) {
  keywordList_->clear();
  struct Entry {
    QString keyword;
    int topic;
  };
  std::vector<Entry> starts;
  std::vector<Entry> contains;
  for (size_t i = 0; i < topics_.size(); ++i) {
    for (const QString& k : topics_[i].keywords) {
      if (typed.isEmpty() || k.startsWith(typed, Qt::CaseInsensitive)) {
        starts.push_back({k, static_cast<int>(i)});
      } else if (k.contains(typed, Qt::CaseInsensitive)) {
        contains.push_back({k, static_cast<int>(i)});
      }
    }
  }
  const auto byKeyword = [](const Entry& a, const Entry& b) {
    return QString::localeAwareCompare(a.keyword, b.keyword) < 0;
  };
  std::stable_sort(starts.begin(), starts.end(), byKeyword);
  std::stable_sort(contains.begin(), contains.end(), byKeyword);
  for (const auto* list : {&starts, &contains}) {
    for (const Entry& e : *list) {
      auto* item = new QListWidgetItem(
          QStringLiteral("%1 — %2").arg(e.keyword, topics_[e.topic].title), keywordList_);
      item->setData(kTopicRole, e.topic);
    }
  }
}

void HelpViewer::showContents() {
  tabs_->setCurrentIndex(0);
  if (contents_->currentRow() < 0 && contents_->count() > 0) contents_->setCurrentRow(0);
  show();
  raise();
  activateWindow();
}

void HelpViewer::showSearch() {
  tabs_->setCurrentIndex(1);
  if (browser_->source().isEmpty()) openTopic(0);
  show();
  raise();
  activateWindow();
  keywordEdit_->setFocus();
  keywordEdit_->selectAll();
}

bool HelpViewer::showContext(int context) {
  for (size_t i = 0; i < topics_.size(); ++i) {
    if (topics_[i].context != context) continue;
    const int row = static_cast<int>(i);
    contents_->blockSignals(true);
    contents_->setCurrentRow(row);
    contents_->blockSignals(false);
    openTopic(row);
    show();
    raise();
    activateWindow();
    return true;
  }
  return false;
}

QString HelpViewer::currentFile() const {
  return browser_->source().fileName();
}

}  // namespace kadrel::ui
