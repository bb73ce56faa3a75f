// KadrelF: the main window. The target file list on top; below it a panel of
// fixed height with the mode choice, the mode pages, START and END; the menu bar
// reaches every other function. Every message box goes through the Host.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "combo/combo_model.h"
#include "core/host.h"
#include "core/run_options.h"
#include "io/file_layer.h"
#include "run/prepare_run.h"
#include "run/step_from_page.h"
#include "settings/mode_settings.h"
#include "settings/recent_list.h"
#include "ui/help_viewer.h"
#include "ui/run_dialog.h"

class QAction;
class QComboBox;
class QDialog;
class QFileDialog;
class QLabel;
class QMenu;
class QPushButton;

namespace kadrel::ui {

class ModePages;
class TargetList;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // programFolder holds Kadrel.ini and KadrelCmb.data; helpFolder the help pages
  // (empty: looked up beside the program).
  MainWindow(Host& host, std::string programFolder, QWidget* parent = nullptr);
  ~MainWindow() override;

  // How modal dialogs (the run dialog, the options dialog, the export box) are
  // run; by default QDialog::exec. Tests drive the dialog instead of blocking.
  using DialogRunner = std::function<int(QDialog&)>;
  void setDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }

  TargetList* targetList() const { return List1_; }
  RunDialog* runDialog() const { return runningDialog_; }
  // The run options, as the options dialog and the settings file keep them.
  RunOptions& options() { return options_; }
  // The COMBO!! page: the step list (CmbDataList) and TextCombo's text.
  const ComboModel& combo() const { return combo_; }
  QSize createdSize() const { return initSize_; }

  // The help pages' folder, found beside the program at start-up.
  const QString& helpFolder() const { return helpFolder_; }
  void setHelpFolder(const QString& folder) { helpFolder_ = folder; }
  HelpViewer* helpViewer() const { return helpViewer_; }

  // The processing mode shown (modeCombo's index).
  int mode() const;
  void setMode(int mode);

  // Drops, as from a file manager: paths in the order of the drop.
  void dropTargets(const QStringList& paths);
  void dropComboFiles(const QStringList& paths);
  // Files and folders chosen in a file dialog: their files that pass the drop
  // filter are added to the list (those listed already are not listed again).
  void addTargets(const QStringList& paths);

  // The window's commands.
  void StartRun();
  // What START would do, shown without writing anything.
  void showPreview();
  // Takes back the last run's rewrites.
  void undoLastRun();
  void Clear();
  void ResetTargetList();
  void MergeInputHistory();
  void LoadSettings();
  void SaveSettings();
  void LoadModeSettings(int slot);
  void SaveModeSettings(int slot);
  void RefreshRecentMenu();
  void RefreshPatternMenus();
  void openRecentCombo(int index);
  void recallPattern(int slot);
  void storePattern(int slot);
  void showOptions();
  void exportComboText();
  void showHelp(int command, int data);
  void showVersion();
  void openHomePage();
  QString homePageAddress() const;
  // Takes the selected files out of the list.
  void removeSelectedTargets();
  // The file dialogs: files or a folder to add, COMBO!! files to load.
  void chooseTargetFiles();
  void chooseTargetFolder();
  void chooseComboFiles();
  // The help of the mode page shown (F1).
  void showPageHelp();

  // Help commands of the help menu.
  static constexpr int kHelpContents = 15;
  static constexpr int kHelpSearch = 0x105;
  static constexpr int kHelpContext = 1;
  static constexpr int kComboHelpContext = 2000;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void buildPanel();
  void buildMenus();
  void fitToFonts();
  void modeSelected();
  void updateStartState();
  void updateUndoState();
  RunRequest runRequest() const;
  void setStartEnabled(bool enabled);
  void showComboText();
  bool comboModeShown() const;
  PageValues pageValues() const;
  ModeSettings currentModeSettings() const;
  void applyModeSettings(const ModeSettings& settings);
  bool holdIniFile(clsIniFile& ini);
  // Runs a file dialog opened in folder; the paths chosen, none when cancelled.
  QStringList runFileDialog(QFileDialog& dialog, const QString& folder);
  QString dialogFolder() const;
  BoxAnswer message(const std::string& text, BoxIcon icon = BoxIcon::Exclamation,
                    BoxButtons buttons = BoxButtons::Ok, BoxAnswer defaultAnswer = BoxAnswer::Ok,
                    const std::string& title = {});

  Host& host_;
  FileLayer& files_;
  DialogRunner runDialog_;
  QPointer<RunDialog> runningDialog_;
  QPointer<HelpViewer> helpViewer_;
  QSize initSize_;
  QString helpFolder_;
  QString chosenFolder_;  // where the last file dialog was left

  // State held by the window for the life of the program; every START prepares
  // a run context of its own from it.
  const std::string programFolder_;
  RunOptions options_;
  ComboModel combo_;
  RecentCombos recent_;

  // Controls.
  TargetList* List1_ = nullptr;
  QWidget* Picture1_ = nullptr;
  QComboBox* modeCombo_ = nullptr;
  QLabel* Label2_ = nullptr;
  QLabel* LblOutpuFileName_ = nullptr;
  ModePages* pages_ = nullptr;
  QPushButton* BtnStart_ = nullptr;
  QPushButton* BtnEnd_ = nullptr;

  // Menus.
  QAction* MenuStart_ = nullptr;
  QAction* MenuPreview_ = nullptr;
  QAction* MenuUndo_ = nullptr;
  QMenu* MenuCOMBORecentGrp_ = nullptr;
  std::vector<QAction*> MenuCOMBORecent_;
  QAction* MenuPtnREAD_[3] = {};
  QAction* MenuPtnSAVE_[3] = {};
  QMenu* MenuPOPListBox_ = nullptr;
};

}  // namespace kadrel::ui
