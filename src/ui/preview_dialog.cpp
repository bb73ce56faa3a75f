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
#include "ui/look.h"
#include "ui/qt_text.h"
#include "ui/wrapping_label.h"

namespace kadrel::ui {

namespace {

// A line longer than this shows its beginning and "…".
constexpr int kShownLineCharacters = 2000;

QString LineHtml(std::string_view line, CodePage codePage) {
  const std::string_view end = LineEndOf(line);
  QString text =
      ToQString(ShownLine(line.substr(0, line.size() - end.size()), codePage, Controls::Visible));
  if (text.size() > kShownLineCharacters) text = text.left(kShownLineCharacters) + u'…';
  QString html = text.toHtmlEscaped();
  // Lines end in CR LF as the run writes them; any other end is shown.
  if (end == "\n") html += QStringLiteral("<span style=\"color:#888\">␊</span>");
  if (end.empty()) html += QStringLiteral("<span style=\"color:#888\">［改行なし］</span>");
  return html;
}

QString Number(size_t n) {
  return n == 0 ? QString() : QString::number(n);
}

// The page of one file: its hunks as a table, removed lines red, added green.
QString DiffPage(const FileDiff& diff) {
  const ViewLines view = LinesToView(diff, kDiffContext, PreviewDialog::kChangedLinesShown);
  // The first row fixes the narrow columns: two line numbers and the mark.
  QString html = QStringLiteral(
      "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"1\" style=\"white-space:pre-wrap\">"
      "<tr><td width=\"44\"></td><td width=\"44\"></td><td width=\"14\"></td><td></td></tr>");
  for (const ViewLine& line : view.lines) {
    QString row;
    switch (line.kind) {
      case '@':
        row = QStringLiteral("<tr bgcolor=\"#eef3fb\"><td colspan=\"4\" style=\"color:#57606a\">") +
              ToQString(HunkHeader(view.hunks[line.hunk])).toHtmlEscaped() + "</td></tr>";
        break;
      case ' ':
        row = QStringLiteral(
                  "<tr><td align=\"right\" style=\"color:#888\">%1</td>"
                  "<td align=\"right\" style=\"color:#888\">%2</td><td> </td><td>%3</td></tr>")
                  .arg(Number(line.oldNumber), Number(line.newNumber),
                       LineHtml(diff.oldLines()[line.oldNumber - 1], diff.codePage()));
        break;
      case '-':
        row = QStringLiteral(
                  "<tr bgcolor=\"#ffebe9\"><td align=\"right\" style=\"color:#888\">%1</td>"
                  "<td></td><td style=\"color:#b42318\">-</td><td>%2</td></tr>")
                  .arg(Number(line.oldNumber),
                       LineHtml(diff.oldLines()[line.oldNumber - 1], diff.codePage()));
        break;
      default:
        row =
            QStringLiteral(
                "<tr bgcolor=\"#dafbe1\"><td></td><td align=\"right\" style=\"color:#888\">%1</td>"
                "<td style=\"color:#116329\">+</td><td>%2</td></tr>")
                .arg(Number(line.newNumber),
                     LineHtml(diff.newLines()[line.newNumber - 1], diff.codePage()));
    }
    html += row;
  }
  html += QStringLiteral("</table>");
  if (view.changesLeftOut > 0)
    html += QStringLiteral("<p style=\"color:#57606a\">ほか %1 行の変更は表示していません。</p>")
                .arg(view.changesLeftOut);
  return html;
}

// "name　（−2 ＋3）", or for a result file "name　（抽出結果 4 行）".
QString Counts(const FileDiff& diff) {
  if (diff.newFile()) return QStringLiteral("（抽出結果 %1 行）").arg(diff.newLines().size());
  return QStringLiteral("（−%1 ＋%2）").arg(diff.removedLines()).arg(diff.addedLines());
}

QString FileName(const std::string& path) {
  return PathToQString(path.substr(path.rfind('/') + 1));
}

}  // namespace

PreviewDialog::PreviewDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("KadrelPreview"));
  setWindowTitle(QStringLiteral("Kadrel - プレビュー"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setSizeGripEnabled(true);

  LblPreviewMsg_ = Named(new WrappingLabel(60, this), "LblPreviewMsg");
  fileBar_ = Named(new QProgressBar(this), "ProgressFiles");
  fileBar_->setFormat(QStringLiteral("%v / %m"));
  LblPreviewSummary_ = Named(new QLabel(this), "LblPreviewSummary");

  fileList_ = Named(new QListWidget(this), "PreviewFiles");
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
                            const std::function<void()>& work, std::function<void()> cancel) {
  descText_ = descText;
  targets_ = std::move(targets);
  cancel_ = std::move(cancel);
  fileBar_->setMaximum(static_cast<int>(targets_.size()));
  fileBar_->setValue(0);
  LblPreviewMsg_->setText(ShownText(ToUtf8(descText_)) + QStringLiteral("プレビュー中です..."));
  BtnCancel_->show();
  BtnClose_->setEnabled(false);
  running_ = true;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  work();
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
  if (currentFile_ >= 0) boxedFiles_.insert(currentFile_);
  QString text = ShownText(box.text).trimmed();
  if (!box.title.empty()) text = QStringLiteral("[%1] ").arg(ToQString(box.title)) + text;
  boxList_->addItem(text);
  updateSummary();
}

void PreviewDialog::fileStarted(int index) {
  currentFile_ = index;
  processed_ = std::max(processed_, index);
}

void PreviewDialog::showProgress(const RunProgress& progress) {
  if (progress.fileCount > 0) {
    fileBar_->setMaximum(progress.fileCount);
    fileBar_->setValue(progress.fileNumber());
  }
}

void PreviewDialog::fileChanged(const FileDiff& diff) {
  if (diff.newFile()) {
    ++results_;
  } else {
    ++changedTargets_;
    changedPaths_.insert(diff.path());
  }
  if (fileList_->count() >= kFilesListed) {
    ++notListed_;
  } else {
    pages_.push_back(DiffPage(diff));
    headings_.push_back(PathToQString(diff.path()) + QStringLiteral("　") + Counts(diff));
    auto* item = new QListWidgetItem(FileName(diff.path()) + QStringLiteral("　") + Counts(diff));
    item->setToolTip(PathToQString(diff.path()));
    fileList_->addItem(item);
    if (fileList_->currentRow() < 0) fileList_->setCurrentRow(0);
  }
  updateSummary();
}

int PreviewDialog::unchangedCount() const {
  int unchanged = 0;
  for (int i = 0; i < processed_ && i < static_cast<int>(targets_.size()); ++i) {
    if (changedPaths_.count(targets_[static_cast<size_t>(i)]) == 0 && boxedFiles_.count(i) == 0)
      ++unchanged;
  }
  return unchanged;
}

void PreviewDialog::showFile(int row) {
  if (row < 0 || row >= static_cast<int>(pages_.size())) return;
  LblPreviewFile_->setText(headings_[static_cast<size_t>(row)]);
  diffView_->setHtml(pages_[static_cast<size_t>(row)]);
}

void PreviewDialog::updateSummary() {
  // While the run goes on, files whose changes are still to come count as unchanged.
  const int unchanged =
      running_
          ? std::max(0, processed_ - static_cast<int>(changedPaths_.size() + boxedFiles_.size()))
          : unchangedCount();
  QString text =
      QStringLiteral("変更されるファイル %1　変更なし %2").arg(changedTargets_).arg(unchanged);
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
