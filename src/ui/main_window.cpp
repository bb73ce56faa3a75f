// The main window: layout, start-up, mode selection, Clear, COMBO!! drops and
// closing.
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "combo/combo_loader.h"
#include "combo/mode_names.h"
#include "core/target_list.h"
#include "io/file_layer.h"
#include "settings/recent_list.h"
#include "text/case_fold.h"
#include "ui/help_viewer.h"
#include "ui/look.h"
#include "ui/mode_pages.h"
#include "ui/qt_text.h"
#include "ui/run_dialog.h"
#include "ui/target_list.h"
#include "ui/window_texts.h"

namespace kadrel::ui {

namespace {

// The design's proportions, in twips: the client area, the bottom panel's height
// and the gap between the list and the panel.
constexpr double kDesignClientWidth = 5115;
constexpr double kDesignClientHeight = 7020;
constexpr double kDesignPanelHeight = 4125;
constexpr double kDesignGap = 40;

}  // namespace

MainWindow::MainWindow(Host& host, std::string programFolder, QWidget* parent)
    : QMainWindow(parent),
      host_(host),
      files_(SystemFileLayer()),
      programFolder_(std::move(programFolder)) {
  setObjectName(QStringLiteral("KadrelF"));
  runDialog_ = [](QDialog& dialog) { return dialog.exec(); };

  buildPanel();
  buildMenus();
  // Where a run's summary shows; there from the start, so that the list keeps
  // its height after the first run.
  statusBar()->setObjectName(QStringLiteral("StatusBar"));

  // Start-up: each step stands on its own.
  helpFolder_ = FindHelpFolder();
  setWindowTitle(ToQString(WindowCaption()));
  modeCombo_->clear();
  for (int m = 0; m < kModeCount; ++m) modeCombo_->addItem(ToQString(ModeName(m)));
  modeCombo_->setCurrentIndex(0);
  modeSelected();
  pages_->fillFixedLists();
  pages_->chooseReplacementString();
  Clear();

  ensurePolished();
  fitToFonts();
  resize(initSize_);

  LoadSettings();
}

// The created size is the smallest the window may take. The panel keeps the
// height its layout asks for (it follows the style and the fonts, which the
// polish applies); the list takes the rest. Larger fonts (or a style) given
// later by the desktop make it again, so that no text is cut.
void MainWindow::fitToFonts() {
  // The hidden mode pages did not pass their controls' new sizes on: every
  // layout and every size the layouts keep is asked again.
  for (QLayout* layout : centralWidget()->findChildren<QLayout*>()) layout->invalidate();
  for (QWidget* control : centralWidget()->findChildren<QWidget*>()) control->updateGeometry();
  const int panelHeight = Picture1_->sizeHint().height();
  const double scale = panelHeight / kDesignPanelHeight;
  const int listHeight =
      static_cast<int>((kDesignClientHeight - kDesignPanelHeight - kDesignGap) * scale);
  const int width =
      std::max(centralWidget()->sizeHint().width(), static_cast<int>(kDesignClientWidth * scale));
  const int barsHeight = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
  initSize_ =
      QSize(width, barsHeight + listHeight + static_cast<int>(kDesignGap * scale) + panelHeight);
  setMinimumSize(initSize_);
  if (width > this->width() || initSize_.height() > height()) resize(size().expandedTo(initSize_));
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
    // Once every control has its new font and the layouts have taken it in.
    QMetaObject::invokeMethod(this, &MainWindow::fitToFonts, Qt::QueuedConnection);
  }
}

MainWindow::~MainWindow() = default;

void MainWindow::buildPanel() {
  auto* client = new QWidget;
  client->setObjectName(QStringLiteral("ClientArea"));
  auto* column = new QVBoxLayout(client);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(3);

  List1_ = new TargetList;
  List1_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  List1_->setMinimumHeight(60);
  column->addWidget(List1_, 1);

  Picture1_ = new QWidget;
  Picture1_->setObjectName(QStringLiteral("Picture1"));
  Picture1_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  auto* panel = new QVBoxLayout(Picture1_);
  panel->setContentsMargins(8, 6, 8, 8);
  panel->setSpacing(5);

  auto* top = new QHBoxLayout;
  auto* modeLabel = new QLabel(QStringLiteral("処理モード"));
  modeLabel->setObjectName(QStringLiteral("Label1_2"));
  auto* countCaption = new QLabel(QStringLiteral("FileCount"));
  countCaption->setObjectName(QStringLiteral("Label3"));
  Label2_ = new QLabel;
  Label2_->setObjectName(QStringLiteral("Label2"));
  Label2_->setMinimumWidth(70);
  Label2_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label2_->setFrameShape(QFrame::StyledPanel);
  Label2_->setFrameShadow(QFrame::Sunken);
  // As tall empty as with a count, so that the panel does not move when files come.
  Label2_->setText(QStringLiteral("0"));
  Label2_->setMinimumHeight(Label2_->sizeHint().height());
  Label2_->clear();
  top->addWidget(modeLabel);
  top->addStretch(1);
  top->addWidget(countCaption);
  top->addWidget(Label2_);
  panel->addLayout(top);

  modeCombo_ = new QComboBox;
  modeCombo_->setObjectName(QStringLiteral("modeCombo"));
  modeCombo_->setFont(ProportionalFont(11.25));
  modeCombo_->setEditable(false);
  panel->addWidget(modeCombo_);

  LblOutpuFileName_ = new QLabel;
  LblOutpuFileName_->setObjectName(QStringLiteral("LblOutpuFileName"));
  panel->addWidget(LblOutpuFileName_);

  pages_ = new ModePages;
  panel->addWidget(pages_, 1);

  auto* buttons = new QHBoxLayout;
  BtnStart_ = new QPushButton(QStringLiteral("START"));
  BtnStart_->setObjectName(QStringLiteral("BtnStart"));
  BtnEnd_ = new QPushButton(QStringLiteral("END"));
  BtnEnd_->setObjectName(QStringLiteral("BtnEnd"));
  BtnStart_->setMinimumSize(110, 32);
  BtnEnd_->setMinimumSize(80, 32);
  buttons->addWidget(BtnStart_);
  buttons->addStretch(1);
  buttons->addWidget(BtnEnd_);
  panel->addSpacing(4);
  panel->addLayout(buttons);

  column->addWidget(Picture1_);
  setCentralWidget(client);

  connect(modeCombo_, &QComboBox::currentIndexChanged, this, &MainWindow::modeSelected);
  connect(BtnStart_, &QPushButton::clicked, this, &MainWindow::StartRun);
  connect(BtnEnd_, &QPushButton::clicked, this, &MainWindow::close);
  connect(List1_, &TargetList::pathsDropped, this, &MainWindow::dropTargets);
  connect(List1_, &TargetList::popupRequested, this, [this](const QPoint& at) {
    if (!MenuPOPListBox_->isVisible()) MenuPOPListBox_->popup(at);
  });
  connect(pages_, &ModePages::comboFilesDropped, this, &MainWindow::dropComboFiles);
  connect(pages_, &ModePages::comboFilesWanted, this, &MainWindow::chooseComboFiles);
}

int MainWindow::mode() const {
  return modeCombo_->currentIndex();
}

void MainWindow::setMode(int mode) {
  modeCombo_->setCurrentIndex(mode);
}

void MainWindow::modeSelected() {
  const int index = modeCombo_->currentIndex();
  if (index < 0) return;
  if (index < ModeNumber(StepMode::Combo)) {
    pages_->showMode(index);
    LblOutpuFileName_->setText(ToQString(OutputCaption(index)));
  }
  const int combo = ModeNumber(StepMode::Combo);
  if (comboModeShown()) {
    pages_->showMode(combo);
    LblOutpuFileName_->setText(ToQString(OutputCaption(combo)));
  }
}

void MainWindow::Clear() {
  pages_->clearValues();
  ResetTargetList();
  modeSelected();
  combo_.text = kComboPrompt;
  combo_.steps.clear();
  showComboText();
}

void MainWindow::ResetTargetList() {
  List1_->clear();
  List1_->addItem(kTargetPlaceholder);
  Label2_->clear();
  setStartEnabled(false);
}

void MainWindow::setStartEnabled(bool enabled) {
  BtnStart_->setEnabled(enabled);
  if (MenuStart_ != nullptr) MenuStart_->setEnabled(enabled);
  if (MenuPreview_ != nullptr) MenuPreview_->setEnabled(enabled);
}

// START follows the list: enabled with the count shown while it holds files.
void MainWindow::updateStartState() {
  const int c = List1_->count();
  if (c != 0 && List1_->holdsFiles()) {
    setStartEnabled(true);
    Label2_->setText(QString::number(c));
  } else {
    setStartEnabled(false);
    Label2_->clear();
  }
}

void MainWindow::dropComboFiles(const QStringList& paths) {
  raise();
  activateWindow();
  std::vector<std::string> files;
  for (const QString& p : paths) files.push_back(PathFromQString(p));
  for (const std::string& opened :
       LoadComboFiles(host_, files_, options_.codePage, files, combo_)) {
    PushRecentCombo(recent_, opened);
  }
  showComboText();
  RefreshRecentMenu();
}

void MainWindow::showComboText() {
  pages_->showComboText(combo_.text);
}

BoxAnswer MainWindow::message(const std::string& text, BoxIcon icon, BoxButtons buttons,
                              BoxAnswer defaultAnswer, const std::string& title) {
  MessageBoxRequest request;
  request.text = text;
  request.title = title;
  request.icon = icon;
  request.buttons = buttons;
  request.defaultAnswer = defaultAnswer;
  return host_.showMessage(request);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  SaveSettings();
  if (helpViewer_ != nullptr) helpViewer_->close();
  event->accept();
}

}  // namespace kadrel::ui
