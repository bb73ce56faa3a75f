// The window's look under the desktop's schemes and fonts: the preview's lines
// read in light, dark and high-contrast palettes (WCAG's 4.5:1), input fields
// follow the palette, texts are not cut at a large font, long paths keep their
// file name in view.
#include <QAbstractButton>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QToolTip>
#include <QtTest>
#include <cmath>
#include <filesystem>

#include "ui/options_dialog.h"
#include "ui/shown_paths.h"
#include "ui/target_list.h"
#include "window_fixture.h"

using namespace kadrel;
using kadrel::test::DropPaths;
using kadrel::test::PageControls;
using kadrel::test::Q;
using kadrel::test::WindowFixture;
using kadrel::test::WriteFile;

namespace {

// WCAG 2's contrast ratio.
double Contrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto linear = [](double v) {
      v /= 255.0;
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
  };
  const double x = luminance(a.toRgb()), y = luminance(b.toRgb());
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

QPalette MakePalette(const char* window, const char* text, const char* base, const char* button,
                     const char* highlight) {
  QPalette p;
  p.setColor(QPalette::Window, QColor(window));
  p.setColor(QPalette::WindowText, QColor(text));
  p.setColor(QPalette::Base, QColor(base));
  p.setColor(QPalette::AlternateBase, QColor(base));
  p.setColor(QPalette::Text, QColor(text));
  p.setColor(QPalette::Button, QColor(button));
  p.setColor(QPalette::ButtonText, QColor(text));
  p.setColor(QPalette::Highlight, QColor(highlight));
  p.setColor(QPalette::HighlightedText, QColor(base));
  p.setColor(QPalette::ToolTipBase, QColor(base));
  p.setColor(QPalette::ToolTipText, QColor(text));
  return p;
}

struct Scheme {
  const char* name;
  QPalette palette;
};

std::vector<Scheme> Schemes() {
  return {
      {"light", QApplication::style()->standardPalette()},
      // qt6ct's "darker"
      {"dark", MakePalette("#222020", "#ffffff", "#3d3d3d", "#424245", "#12608a")},
      {"high contrast", MakePalette("#000000", "#ffffff", "#000000", "#000000", "#1aebff")},
      {"high contrast, light", MakePalette("#ffffff", "#000000", "#ffffff", "#ffffff", "#0000c0")},
      // Text that barely shows on its base: the preview picks its own.
      {"murky", MakePalette("#777777", "#8a8a8a", "#808080", "#777777", "#505050")},
  };
}

// Sets the application's palette for as long as it lives.
class PaletteScope {
 public:
  explicit PaletteScope(const QPalette& palette) : saved_(QApplication::palette()) {
    QApplication::setPalette(palette);
  }
  ~PaletteScope() { QApplication::setPalette(saved_); }

 private:
  QPalette saved_;
};

// Every text fragment of the view's tables with its cell's background; the
// lowest contrast found and how many different backgrounds the rows have.
struct Legibility {
  double lowest = 21;
  QString worst;
  std::set<QRgb> backgrounds;
  int fragments = 0;
};

Legibility Measure(const QTextBrowser* view) {
  Legibility result;
  const QColor base = view->palette().color(QPalette::Base);
  const QColor text = view->palette().color(QPalette::Text);
  for (QTextFrame* frame : view->document()->rootFrame()->childFrames()) {
    auto* table = qobject_cast<QTextTable*>(frame);
    if (table == nullptr) continue;
    for (int r = 0; r < table->rows(); ++r) {
      for (int c = 0; c < table->columns(); ++c) {
        const QTextTableCell cell = table->cellAt(r, c);
        const QBrush cellBrush = cell.format().background();
        const QColor background = cellBrush.style() == Qt::NoBrush ? base : cellBrush.color();
        for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
          for (QTextBlock::iterator f = it.currentBlock().begin(); !f.atEnd(); ++f) {
            const QTextFragment fragment = f.fragment();
            if (fragment.text().trimmed().isEmpty()) continue;
            const QBrush brush = fragment.charFormat().foreground();
            const QColor color = brush.style() == Qt::NoBrush ? text : brush.color();
            const double contrast = Contrast(color, background);
            ++result.fragments;
            result.backgrounds.insert(background.rgb());
            if (contrast < result.lowest) {
              result.lowest = contrast;
              result.worst = fragment.text() + QStringLiteral(" ") + color.name() +
                             QStringLiteral(" on ") + background.name();
            }
          }
        }
      }
    }
  }
  return result;
}

// The preview of a replacement over a file with a changed line, an unchanged one
// and a last line without its line end: whatever the view shows, measured.
void CheckPreviewReads(const QPalette& first, const QPalette* switchedTo, const char* name) {
  PaletteScope scope(first);
  WindowFixture f;
  test::TempDir data;
  WriteFile(data.file("a.txt"), "abc 1\r\nsame\r\nabc 2");
  DropPaths(f.window().targetList(), {Q(data.file("a.txt"))});
  PageControls(f.window()).inTrimChr->setEditText(QStringLiteral("abc"));
  PageControls(f.window()).inChangeChr->setEditText(QStringLiteral("xyz"));
  Legibility shown;
  QColor base;
  f.onDialog([&](QDialog& dialog) {
    auto* view = dialog.findChild<QTextBrowser*>(QStringLiteral("PreviewView"));
    if (switchedTo != nullptr) dialog.setPalette(*switchedTo);
    shown = Measure(view);
    base = view->palette().color(QPalette::Base);
    return static_cast<int>(QDialog::Accepted);
  });
  f.window().showPreview();
  QCOMPARE(base, (switchedTo != nullptr ? *switchedTo : first).color(QPalette::Base));
  QVERIFY2(shown.fragments >= 8, name);  // the lines, their numbers and marks
  // Equal, removed, added and the hunk heading: each its own background.
  QVERIFY2(shown.backgrounds.size() >= 4, name);
  QVERIFY2(shown.lowest >= 4.5, qPrintable(QStringLiteral("%1: %2 (%3)")
                                               .arg(QLatin1String(name))
                                               .arg(shown.lowest)
                                               .arg(shown.worst)));
}

}  // namespace

class LookTest : public QObject {
  Q_OBJECT
 private slots:
  void previewLinesReadInEveryScheme();
  void previewFollowsASchemeChangedWhileShown();
  void fieldsFollowThePalette();
  void textsAreNotCutAtALargeFont();
  void optionsStayOnTheScreen();
  void longPathsKeepTheFileName();
  void dropFolderNamesThePreviewsFiles();
};

void LookTest::previewLinesReadInEveryScheme() {
  for (const Scheme& s : Schemes()) CheckPreviewReads(s.palette, nullptr, s.name);
}

void LookTest::previewFollowsASchemeChangedWhileShown() {
  const std::vector<Scheme> schemes = Schemes();
  CheckPreviewReads(schemes[0].palette, &schemes[1].palette, "light, then dark");
  CheckPreviewReads(schemes[1].palette, &schemes[0].palette, "dark, then light");
}

// Enabled input fields all show the palette's base and text colours (none stays
// white in a dark scheme); disabled ones the button face.
void LookTest::fieldsFollowThePalette() {
  for (const Scheme& s : Schemes()) {
    PaletteScope scope(s.palette);
    WindowFixture f;
    PageControls p(f.window());
    p.ChkTab[1]->setChecked(true);   // inChangeChr off
    p.AddCombo->setCurrentIndex(2);  // numbering fields on
    const QList<QWidget*> fields = {p.inTrimChr,
                                    p.inChangeChr,
                                    p.TxtAfterWord,
                                    p.ColCombo,
                                    p.SpColCombo,
                                    p.StringText,
                                    p.StartCombo,
                                    p.SkipCombo,
                                    p.inStartChr,
                                    p.inEndChr,
                                    p.inSrcChr[0],
                                    p.TextCombo,
                                    f.window().targetList()};
    int on = 0, off = 0;
    for (QWidget* field : fields) {
      const QPalette& shown = field->palette();
      const QString what = QLatin1String(s.name) + QStringLiteral(": ") + field->objectName();
      if (field->isEnabled()) {
        ++on;
        QVERIFY2(shown.color(QPalette::Base) == s.palette.color(QPalette::Base), qPrintable(what));
        QVERIFY2(shown.color(QPalette::Text) == s.palette.color(QPalette::Text), qPrintable(what));
      } else {
        ++off;
        QVERIFY2(shown.color(QPalette::Base) == s.palette.color(QPalette::Button),
                 qPrintable(what));
      }
    }
    QVERIFY(on >= 8 && off >= 4);
  }
}

// With the font grown after the window was made (as a desktop theme does at
// start-up), every caption shows whole on every mode page: the window grows to
// take it.
void LookTest::textsAreNotCutAtALargeFont() {
  WindowFixture f;
  ui::MainWindow& w = f.window();
  w.show();
  const QSize before = w.size();
  QFont large = w.font();
  large.setPointSizeF(14);
  w.setFont(large);
  QCoreApplication::processEvents();
  QVERIFY(w.width() > before.width());
  PageControls p(w);
  p.AddCombo->setCurrentIndex(2);  // "付番置換え（挿入）", the longest of its items
  for (int mode = 0; mode < 7; ++mode) {
    w.setMode(mode);
    QCoreApplication::processEvents();
    for (QWidget* c : w.findChild<QWidget*>(QStringLiteral("Picture1"))->findChildren<QWidget*>()) {
      if (!c->isVisible()) continue;
      const QString what = QStringLiteral("mode %1: %2").arg(mode).arg(c->objectName());
      if (auto* label = qobject_cast<QLabel*>(c)) {
        if (label->wordWrap()) {
          QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(what));
        } else {
          QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(what));
        }
      } else if (qobject_cast<QAbstractButton*>(c) != nullptr ||
                 (qobject_cast<QComboBox*>(c) != nullptr &&
                  !static_cast<QComboBox*>(c)->isEditable())) {
        QVERIFY2(c->width() >= c->sizeHint().width(), qPrintable(what));
      }
    }
  }
}

// However large the font, the options dialog stays on the screen with its
// buttons; what does not fit scrolls, and only then.
void LookTest::optionsStayOnTheScreen() {
  test::FakeHost host;
  RunOptions options;
  for (double points : {6.0, 9.0, 14.0, 20.0}) {
    ui::OptionsDialog dialog(host, options, {});
    QFont font = dialog.font();
    font.setPointSizeF(points);
    dialog.setFont(font);
    dialog.show();
    QCoreApplication::processEvents();
    const QString what = QStringLiteral("%1 pt").arg(points);
    QVERIFY2(dialog.height() <= dialog.screen()->availableGeometry().height(), qPrintable(what));
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("BtnOptOK"));
    QVERIFY2(dialog.rect().contains(QRect(ok->mapTo(&dialog, QPoint(0, 0)), ok->size())),
             qPrintable(what));
    auto* last = dialog.findChild<QComboBox*>(QStringLiteral("CodePage"));
    auto* area = dialog.findChild<QScrollArea*>();
    area->ensureWidgetVisible(last);
    QCoreApplication::processEvents();
    const QPoint at = last->mapTo(area->viewport(), QPoint(0, 0));
    QVERIFY2(area->viewport()->rect().contains(QRect(at, last->size())), qPrintable(what));
    const bool room = area->widget()->sizeHint().height() + 6 * ok->sizeHint().height() <
                      dialog.screen()->availableGeometry().height();
    if (room) QVERIFY2(!area->verticalScrollBar()->isVisible(), qPrintable(what));
  }
}

// A path too long for the list gives up the middle of its folders; its file
// name stays whole, and the whole path is its tooltip.
void LookTest::longPathsKeepTheFileName() {
  WindowFixture f;
  ui::TargetList* list = f.window().targetList();
  f.window().show();
  test::TempDir data;
  const std::string deep =
      "とても長いフォルダ名のプロジェクト資料/2024年度/第3四半期/営業部/報告書";
  std::filesystem::create_directories(data.file(deep));
  const std::string names[] = {"a.txt", "議事録_2024年10月定例会議_最終版.txt",
                               std::string(30, 'n') + "_とても長いファイル名のファイル.txt"};
  QStringList paths;
  for (const std::string& name : names) {
    WriteFile(data.file(deep + "/" + name), "x\r\n");
    paths << Q(data.file(deep + "/" + name));
  }
  WriteFile(data.file("short.txt"), "x\r\n");
  paths << Q(data.file("short.txt"));
  DropPaths(list, paths);
  QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  const int width = list->viewport()->width();
  const QFontMetrics metrics(list->font());
  for (int row = 0; row < list->count(); ++row) {
    const QString full = list->item(row)->text();
    const QString shown = list->shownText(row, width);
    const QString name = full.mid(full.lastIndexOf(u'/') + 1);
    QVERIFY2(metrics.horizontalAdvance(shown) <= width, qPrintable(shown));
    if (metrics.horizontalAdvance(full) + 8 < width) {
      QCOMPARE(shown, full);
    } else if (metrics.horizontalAdvance(name) + 40 < width) {
      QVERIFY2(shown.endsWith(QStringLiteral("/") + name), qPrintable(shown));
      QVERIFY2(shown.contains(QChar(0x2026)), qPrintable(shown));
    } else {  // the name alone is too long: its head and its extension show
      QVERIFY2(shown.endsWith(QStringLiteral(".txt")) && shown.contains(QChar(0x2026)),
               qPrintable(shown));
    }
    QHelpEvent tip(QEvent::ToolTip, list->visualItemRect(list->item(row)).center(),
                   list->viewport()->mapToGlobal(list->visualItemRect(list->item(row)).center()));
    QCoreApplication::sendEvent(list->viewport(), &tip);
    QCOMPARE(QToolTip::text(), full);
  }
}

void LookTest::dropFolderNamesThePreviewsFiles() {
  struct Case {
    const char* name;
    std::vector<std::string> paths;
    std::vector<size_t> roots;
    std::string folder;
  } cases[] = {
      {"one folder dropped", {"/d/x/a.txt", "/d/y/a.txt"}, {3, 3}, "/d/"},
      {"its files in one subfolder", {"/d/x/a.txt", "/d/x/b.txt"}, {3, 3}, "/d/"},
      {"two folders dropped", {"/d/x/a.txt", "/e/y/a.txt"}, {5, 5}, "/"},
      {"files dropped as they are", {"/d/x/a.txt", "/d/y/b.txt"}, {0, 0}, "/d/"},
      {"names sharing a head", {"/d/abc/a.txt", "/d/abd/b.txt"}, {0, 0}, "/d/"},
      {"a file and a folder", {"/d/x/a.txt", "/d/x/y/b.txt"}, {0, 5}, "/d/x/"},
      {"nothing", {}, {}, ""},
  };
  for (const Case& c : cases) {
    const std::string folder = ui::CommonDropFolder(c.paths, c.roots);
    QVERIFY2(folder == c.folder, c.name);
    for (const std::string& path : c.paths)
      QCOMPARE(ui::PathBelow(path, folder), path.substr(folder.size()));
  }
  QCOMPARE(ui::PathBelow("/other/a.txt", "/d/"), std::string("/other/a.txt"));
}

QTEST_MAIN(LookTest)
#include "look_test.moc"
