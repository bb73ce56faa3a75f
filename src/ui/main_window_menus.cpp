// The main window's menu bar and the target list's popup menu. Every item,
// separator and submenu carries its control name as object name.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "settings/recent_list.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/target_list.h"

namespace kadrel::ui {

namespace {

QMenu* AddMenu(QMenuBar* bar, const char* name, const QString& caption) {
  QMenu* menu = bar->addMenu(caption);
  menu->setObjectName(QString::fromLatin1(name));
  menu->menuAction()->setObjectName(QString::fromLatin1(name));
  return menu;
}

QMenu* AddSubmenu(QMenu* parent, const char* name, const QString& caption) {
  QMenu* menu = parent->addMenu(caption);
  menu->setObjectName(QString::fromLatin1(name));
  menu->menuAction()->setObjectName(QString::fromLatin1(name));
  return menu;
}

QAction* AddItem(QMenu* menu, const QString& name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  return action;
}

QAction* AddItem(QMenu* menu, const char* name, const QString& caption) {
  return AddItem(menu, QString::fromLatin1(name), caption);
}

// A menu caption showing text as it is ("&" is no mnemonic here).
QString MenuCaption(QString text) {
  return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

void AddSeparator(QMenu* menu, const char* name) {
  menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

}  // namespace

void MainWindow::buildMenus() {
  QMenuBar* bar = menuBar();

  QMenu* manual = AddMenu(bar, "MenuManual", QStringLiteral("操作(&M)"));
  MenuStart_ = AddItem(manual, "MenuStart", QStringLiteral("処理開始 (&S)"));
  MenuPreview_ = AddItem(manual, "MenuPreview", QStringLiteral("プレビュー (&V)"));
  MenuUndo_ = AddItem(manual, "MenuUndo", QStringLiteral("元に戻す (&U)"));
  AddSeparator(manual, "MenuAddSep");
  QAction* addFiles = AddItem(manual, "MenuAddFiles", QStringLiteral("ファイルを追加... (&A)"));
  addFiles->setShortcut(QKeySequence::Open);
  QAction* addFolder = AddItem(manual, "MenuAddFolder", QStringLiteral("フォルダを追加... (&D)"));
  AddSeparator(manual, "Menu10");
  QAction* clear = AddItem(manual, "MenuClear", QStringLiteral("ｸﾘｱ (&C)"));
  AddSeparator(manual, "Menu11");
  MenuCOMBORecentGrp_ =
      AddSubmenu(manual, "MenuCOMBORecentGrp", QStringLiteral("最近使用したCOMBO!!ﾌｧｲﾙ (&F)"));
  QAction* first = AddItem(MenuCOMBORecentGrp_, "MenuCOMBORecent0", QStringLiteral("（なし）"));
  first->setEnabled(false);
  MenuCOMBORecent_.push_back(first);
  connect(first, &QAction::triggered, this, [this] { openRecentCombo(0); });
  AddSeparator(manual, "Menu21");
  QAction* end = AddItem(manual, "MenuEND", QStringLiteral("Kadrel の終了 (&X)"));

  QMenu* pattern = AddMenu(bar, "MenuPtn", QStringLiteral("ﾊﾟﾀｰﾝ(&P)"));
  QMenu* recall = AddSubmenu(pattern, "MenuPtnRDGR", QStringLiteral("読込 (&R)"));
  QMenu* store = AddSubmenu(pattern, "MenuPtnSVGR", QStringLiteral("記憶 (&S)"));
  for (int i = 1; i <= 3; ++i) {
    MenuPtnREAD_[i - 1] =
        AddItem(recall, QStringLiteral("MenuPtnREAD%1").arg(i), QString::number(i));
    MenuPtnSAVE_[i - 1] =
        AddItem(store, QStringLiteral("MenuPtnSAVE%1").arg(i), QString::number(i));
    connect(MenuPtnREAD_[i - 1], &QAction::triggered, this, [this, i] { recallPattern(i); });
    connect(MenuPtnSAVE_[i - 1], &QAction::triggered, this, [this, i] { storePattern(i); });
  }

  QMenu* option = AddMenu(bar, "MenuOpt", QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
  QAction* comboEdit = AddItem(option, "MenuCmbEdit", QStringLiteral("連続技/COMBO!!編集 (&C)"));
  AddSeparator(option, "Menu12");
  QAction* options = AddItem(option, "MenuOption", QStringLiteral("ｵﾌﾟｼｮﾝ設定 (&O)"));

  QMenu* help = AddMenu(bar, "MenuHelp", QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  QAction* contents = AddItem(help, "MenuHelpContents", QStringLiteral("目次 (&C)"));
  QAction* search = AddItem(help, "MenuHelpSearch", QStringLiteral("ﾄﾋﾟｯｸの検索 (&S)"));
  QAction* comboHelp = AddItem(help, "MenuHelpCOMBO", QStringLiteral("連続実行/COMBO ﾍﾙﾌﾟ"));
  AddSeparator(help, "Menu13");
  QAction* homePage = AddItem(help, "MenuHP", QStringLiteral("HomePage(&H)"));
  AddSeparator(help, "Menu14");
  QAction* version = AddItem(help, "MenuVer", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報 (&A)"));

  // Never shown in the bar: the popup menu of the target file list.
  MenuPOPListBox_ = new QMenu(this);
  MenuPOPListBox_->setObjectName(QStringLiteral("MenuPOPListBox"));
  QAction* remove = AddItem(MenuPOPListBox_, "MenuPOPDel", QStringLiteral("対象から外す"));
  // Delete takes the selected files out while the list has the focus.
  remove->setShortcut(QKeySequence::Delete);
  remove->setShortcutContext(Qt::WidgetShortcut);
  List1_->addAction(remove);

  // F1: the help of the mode page shown.
  auto* pageHelp = new QAction(this);
  pageHelp->setObjectName(QStringLiteral("PageHelp"));
  pageHelp->setShortcut(QKeySequence::HelpContents);
  pageHelp->setShortcutContext(Qt::WindowShortcut);
  addAction(pageHelp);

  connect(MenuStart_, &QAction::triggered, this, &MainWindow::StartRun);
  connect(MenuPreview_, &QAction::triggered, this, &MainWindow::showPreview);
  connect(MenuUndo_, &QAction::triggered, this, &MainWindow::undoLastRun);
  updateUndoState();
  connect(clear, &QAction::triggered, this, &MainWindow::Clear);
  connect(end, &QAction::triggered, this, &MainWindow::close);
  connect(comboEdit, &QAction::triggered, this, &MainWindow::exportComboText);
  connect(options, &QAction::triggered, this, &MainWindow::showOptions);
  connect(contents, &QAction::triggered, this, [this] { showHelp(kHelpContents, 0); });
  connect(search, &QAction::triggered, this, [this] { showHelp(kHelpSearch, 0); });
  connect(comboHelp, &QAction::triggered, this,
          [this] { showHelp(kHelpContext, kComboHelpContext); });
  connect(homePage, &QAction::triggered, this, &MainWindow::openHomePage);
  connect(version, &QAction::triggered, this, &MainWindow::showVersion);
  connect(remove, &QAction::triggered, this, &MainWindow::removeSelectedTargets);
  connect(addFiles, &QAction::triggered, this, &MainWindow::chooseTargetFiles);
  connect(addFolder, &QAction::triggered, this, &MainWindow::chooseTargetFolder);
  connect(pageHelp, &QAction::triggered, this, &MainWindow::showPageHelp);
}

// Item 0 always exists; the others are created as the list needs them.
void MainWindow::RefreshRecentMenu() {
  while (MenuCOMBORecent_.size() > 1) {
    delete MenuCOMBORecent_.back();
    MenuCOMBORecent_.pop_back();
  }
  QAction* first = MenuCOMBORecent_[0];
  first->setText(ToQString(kRecentNone));
  first->setData(QVariant());
  first->setEnabled(false);
  size_t next = 0;
  for (const std::string& path : RecentMenuItems(recent_)) {
    if (next == MenuCOMBORecent_.size()) {
      const int index = static_cast<int>(next);
      QAction* item =
          AddItem(MenuCOMBORecentGrp_, QStringLiteral("MenuCOMBORecent%1").arg(index), QString());
      connect(item, &QAction::triggered, this, [this, index] { openRecentCombo(index); });
      MenuCOMBORecent_.push_back(item);
    }
    MenuCOMBORecent_[next]->setText(MenuCaption(PathToQString(path)));
    MenuCOMBORecent_[next]->setData(PathToQString(path));
    MenuCOMBORecent_[next]->setEnabled(true);
    ++next;
  }
}

void MainWindow::RefreshPatternMenus() {
  const std::string* names[3] = {&options_.PtnName1, &options_.PtnName2, &options_.PtnName3};
  for (int i = 0; i < 3; ++i) {
    MenuPtnREAD_[i]->setText(MenuCaption(ToQString(*names[i])));
    MenuPtnSAVE_[i]->setText(MenuCaption(ToQString(*names[i])));
  }
}

}  // namespace kadrel::ui
