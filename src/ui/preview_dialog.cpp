#include "ui/preview_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "run/preview/unified_diff.h"
#include "ui/diff_colors.h"
#include "ui/look.h"
#include "ui/qt_text.h"
#include "ui/run_dialog.h"
#include "ui/shown_paths.h"
#include "ui/wrapping_label.h"

namespace kadrel::ui {

namespace {

// A line longer than this shows its beginning and "…".
constexpr int kShownLineCharacters = 2000;

// A line of a row of kind ('e', 'r' or 'a'), its line-end marks in the row's
// muted colour.
QString LineHtml(std::string_view line, CodePage codePage, QChar kind) {
  const std::string_view end = LineEndOf(line);
  QString text =
      ToQString(ShownLine(line.substr(0, line.size() - end.size()), codePage, Controls::Visible));
  if (text.size() > kShownLineCharacters) text = text.left(kShownLineCharacters) + u'…';
  QString html = text.toHtmlEscaped();
  // Lines end in CR LF as the run writes them; any other end is shown.
  const QString mark = QStringLiteral("<span class=\"%1x\">%2</span>");
  if (end == "\n") html += mark.arg(kind, QStringLiteral("␊"));
  if (end.empty()) html += mark.arg(kind, QStringLiteral("［改行なし］"));
  return html;
}

QString Number(size_t n) {
  return n == 0 ? QString() : QString::number(n);
}

// One row of a hunk: the line numbers of both sides, the mark and the line, each
// cell in the colours of the row's kind (DiffStyleSheet).
QString RowHtml(QChar kind, size_t oldNumber, size_t newNumber, QChar mark, const QString& line) {
  return QStringLiteral(
             "<tr><td class=\"%1n\" align=\"right\">%2</td><td class=\"%1n\" "
             "align=\"right\">%3</td><td class=\"%1m\">%4</td><td class=\"%1\">%5</td></tr>")
      .arg(kind, Number(oldNumber), Number(newNumber), mark, line);
}

// "name　（−2 ＋3）", or for a result file "name　（抽出結果 4 行）"; a file whose
// comparison failed on a read says so.
QString LineCounts(const ChangedFile& file) {
  QString counts = file.newFile ? QStringLiteral("（抽出結果 %1 行）").arg(file.added)
                                : QStringLiteral("（−%1 ＋%2）").arg(file.removed).arg(file.added);
  if (file.incomplete) counts += QStringLiteral("（読み込みに失敗したため途中まで）");
  return counts;
}

}  // namespace

PreviewDialog::PreviewDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("KadrelPreview"));
  setWindowTitle(QStringLiteral("Kadrel - プレビュー"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setSizeGripEnabled(true);

  LblPreviewMsg_ = Named(new WrappingLabel(60, this), "LblPreviewMsg");
  fileBar_ = Named(new QProgressBar(this), "ProgressFiles");
  fileBar_->setFormat(QString::fromUtf8(kDoneFormat));
  LblPreviewSummary_ = Named(new QLabel(this), "LblPreviewSummary");
  LblPreviewSummary_->setWordWrap(true);

  fileList_ = Named(new QListWidget(this), "PreviewFiles");
  // A long path gives up the middle of its folders; the whole path is the tooltip.
  fileList_->setTextElideMode(Qt::ElideMiddle);
  fileList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  LblPreviewFile_ = Named(new QLabel(this), "LblPreviewFile");
  LblPreviewFile_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  diffView_ = Named(new QTextBrowser(this), "PreviewView");
  diffView_->setFont(MonoFont(10));
  auto* right = new QWidget(this);
  auto* rightBox = new QVBoxLayout(right);
  rightBox->setContentsMargins(0, 0, 0, 0);
  rightBox->addWidget(LblPreviewFile_);
  rightBox->addWidget(diffView_, 1);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(fileList_);
  split->addWidget(right);
  split->setStretchFactor(1, 3);
  split->setSizes({260, 640});

  boxList_ = Named(new QListWidget(this), "PreviewBoxes");
  boxList_->setMaximumHeight(96);
  boxList_->setWordWrap(true);

  BtnCancel_ = Named(new QPushButton(QStringLiteral("中断"), this), "BtnCancel");
  BtnClose_ = Named(new QPushButton(QStringLiteral("閉じる"), this), "BtnClose");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(BtnCancel_);
  buttons->addWidget(BtnClose_);

  auto* box = new QVBoxLayout(this);
  box->addWidget(LblPreviewMsg_);
  box->addWidget(fileBar_);
  box->addWidget(LblPreviewSummary_);
  box->addWidget(split, 1);
  box->addWidget(new QLabel(QStringLiteral("メッセージ"), this));
  box->addWidget(boxList_);
  box->addLayout(buttons);
  resize(900, 620);

  connect(fileList_, &QListWidget::currentRowChanged, this, &PreviewDialog::showFile);
  connect(BtnCancel_, &QPushButton::clicked, this, [this] {
    if (running_ && cancel_) {
      cancelled_ = true;
      cancel_();
    }
  });
  connect(BtnClose_, &QPushButton::clicked, this, &QDialog::accept);
  BtnCancel_->hide();
  updateSummary();
}

void PreviewDialog::runWork(const QString& descText, std::vector<std::string> targets,
                            const std::vector<size_t>& scanRoots,
                            const std::function<RunReport()>& work, std::function<void()> cancel) {
  descText_ = descText;
  targets_ = std::move(targets);
  dropFolder_ = CommonDropFolder(targets_, scanRoots);
  cancel_ = std::move(cancel);
  fileBar_->setMaximum(static_cast<int>(targets_.size()));
  fileBar_->setValue(0);
  LblPreviewMsg_->setText(ShownText(ToUtf8(descText_)) + QStringLiteral("プレビュー中です..."));
  BtnCancel_->show();
  BtnClose_->setEnabled(false);
  running_ = true;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  report_ = work();
  QApplication::restoreOverrideCursor();
  running_ = false;
  if (!cancelled_) processed_ = static_cast<int>(targets_.size());
  BtnCancel_->hide();
  BtnClose_->setEnabled(true);
  BtnClose_->setDefault(true);
  LblPreviewMsg_->setText(
      ShownText(ToUtf8(descText_)) +
      (cancelled_ ? QStringLiteral("プレビューを中断しました。ファイルは書き換えていません。")
                  : QStringLiteral("プレビューしました。ファイルは書き換えていません。")));
  fileBar_->setValue(processed_);
  updateSummary();
}

void PreviewDialog::showRefused() {
  fileBar_->hide();
  LblPreviewMsg_->setText(QStringLiteral("処理を開始できないため、プレビューできません。"));
  updateSummary();
}

void PreviewDialog::addBox(const MessageBoxRequest& box) {
  ++boxes_;
  QString text = ShownText(box.text).trimmed();
  if (!box.title.empty()) text = QStringLiteral("[%1] ").arg(ToQString(box.title)) + text;
  boxList_->addItem(text);
  updateSummary();
}

void PreviewDialog::fileStarted(int index) {
  processed_ = std::max(processed_, index);
}

// The bar counts the files done: it starts empty.
void PreviewDialog::showProgress(const RunProgress& progress) {
  if (progress.fileCount > 0) {
    fileBar_->setMaximum(progress.fileCount);
    fileBar_->setValue(std::min(progress.fileIndex, progress.fileCount));
  }
}

// The page of a file: its hunks as a table, removed lines red, added green; the
// changed lines past kChangedLinesShown are counted, not shown.
void PreviewDialog::fileStarted(const ChangedFile& file) {
  page_ = {};
  page_.codePage = file.codePage;
  // The first row fixes the narrow columns: two line numbers and the mark.
  page_.html = QStringLiteral(
      "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"1\" style=\"white-space:pre-wrap\">"
      "<tr><td width=\"44\"></td><td width=\"44\"></td><td width=\"14\"></td><td></td></tr>");
}

void PreviewDialog::hunkLine(char kind, size_t oldNumber, size_t newNumber, std::string_view line) {
  if (page_.changedShown == kChangedLinesShown) {
    if (kind != ' ') ++page_.changesLeftOut;
    return;
  }
  const QChar row = kind == ' ' ? u'e' : kind == '-' ? u'r' : u'a';
  page_.hunkRows +=
      RowHtml(row, oldNumber, newNumber, QChar(kind), LineHtml(line, page_.codePage, row));
  if (kind != ' ') ++page_.changedShown;
}

void PreviewDialog::hunkDone(const Hunk& hunk) {
  if (page_.hunkRows.isEmpty()) return;
  page_.html += QStringLiteral("<tr><td class=\"h\" colspan=\"4\">") +
                ToQString(HunkHeader(hunk)).toHtmlEscaped() + "</td></tr>" + page_.hunkRows;
  page_.hunkRows.clear();
}

void PreviewDialog::fileDone(const ChangedFile& file) {
  if (file.newFile) {
    ++results_;
  } else {
    changedPaths_.insert(file.path);
  }
  if (fileList_->count() >= kFilesListed) {
    ++notListed_;
  } else {
    QString html = std::move(page_.html) + QStringLiteral("</table>");
    if (page_.changesLeftOut > 0)
      html +=
          QStringLiteral("<p><span class=\"ex\">ほか %1 行の変更は表示していません。</span></p>")
              .arg(page_.changesLeftOut);
    pages_.push_back(std::move(html));
    headings_.push_back(PathToQString(file.path) + QStringLiteral("　") + LineCounts(file));
    auto* item =
        new QListWidgetItem(shownPath(file.path) + QStringLiteral("　") + LineCounts(file));
    item->setToolTip(PathToQString(file.path));
    fileList_->addItem(item);
    if (fileList_->currentRow() < 0) fileList_->setCurrentRow(0);
  }
  page_ = {};
  updateSummary();
}

QString PreviewDialog::shownPath(const std::string& path) const {
  return PathToQString(PathBelow(path, dropFolder_));
}

// What the run would do to each listed file, as its report tells it once it is
// through; a target it rewrites without a change listed is one it rewrites with
// the bytes it holds.
PreviewDialog::Counts PreviewDialog::counts() const {
  Counts c;
  if (!report_) return c;
  for (const TargetReport& target : report_->targets) {
    switch (target.outcome) {
      case TargetOutcome::Replaced:
        ++(changedPaths_.count(target.path) != 0 ? c.changed : c.sameBytes);
        break;
      case TargetOutcome::Unchanged:
      case TargetOutcome::Extracted:
        ++c.untouched;
        break;
      case TargetOutcome::Skipped:
        ++c.skipped;
        break;
      case TargetOutcome::Failed:
        ++c.failed;
        break;
      case TargetOutcome::NotReached:
        ++c.notReached;
        break;
    }
  }
  return c;
}

void PreviewDialog::showFile(int row) {
  if (row < 0 || row >= static_cast<int>(pages_.size())) return;
  LblPreviewFile_->setText(headings_[static_cast<size_t>(row)]);
  diffView_->document()->setDefaultStyleSheet(DiffStyleSheet(DiffColorsFor(diffView_->palette())));
  diffView_->setHtml(pages_[static_cast<size_t>(row)]);
}

// A new desktop palette gives the page new colours.
void PreviewDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) showFile(fileList_->currentRow());
}

void PreviewDialog::updateSummary() {
  QString text;
  if (report_) {
    const Counts c = counts();
    text = QStringLiteral("書き換えるファイル %1").arg(c.rewritten());
    if (c.sameBytes > 0)
      text += QStringLiteral("（うち内容の変わらないもの %1：「対象なしでもファイル更新する」）")
                  .arg(c.sameBytes);
    text += QStringLiteral("　そのまま %1").arg(c.untouched);
    const std::pair<const char16_t*, int> others[] = {
        {u"飛ばす", c.skipped}, {u"失敗", c.failed}, {u"未処理", c.notReached}};
    for (const auto& [name, n] : others) {
      if (n > 0) text += QStringLiteral("　%1 %2").arg(QString::fromUtf16(name)).arg(n);
    }
  } else {  // while it runs: the changes met so far
    text = QStringLiteral("変更されるファイル %1").arg(changedPaths_.size());
  }
  if (results_ > 0) text += QStringLiteral("　抽出結果ファイル %1").arg(results_);
  text += QStringLiteral("　メッセージ %1").arg(boxes_);
  if (notListed_ > 0)
    text += QStringLiteral("\n（一覧は先頭の %1 ファイルまでです。ほか %2 ファイル）")
                .arg(kFilesListed)
                .arg(notListed_);
  LblPreviewSummary_->setText(text);
}

void PreviewDialog::closeEvent(QCloseEvent* event) {
  if (running_) {  // closing while it runs means "中断"
    event->ignore();
    if (cancel_) {
      cancelled_ = true;
      cancel_();
    }
    return;
  }
  QDialog::closeEvent(event);
}

void PreviewDialog::reject() {
  if (running_) {
    if (cancel_) {
      cancelled_ = true;
      cancel_();
    }
    return;
  }
  QDialog::reject();
}

BoxAnswer PreviewHost::showMessage(const MessageBoxRequest& request) {
  dialog_.addBox(request);
  return request.buttons == BoxButtons::YesNo ? request.defaultAnswer : BoxAnswer::Ok;
}

void PreviewHost::selectTarget(int index) {
  window_.selectTarget(index);
  dialog_.fileStarted(index);
}

}  // namespace kadrel::ui
