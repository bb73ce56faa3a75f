// Kadrel.ini and KadrelCmb.data from the window's side: the settings read at
// start-up and written at closing, the setting patterns and the recent COMBO!!
// files.
#include <QAction>
#include <QComboBox>
#include <cerrno>

#include "combo/combo_loader.h"
#include "combo/mode_names.h"
#include "combo/step_list_file.h"
#include "settings/app_settings.h"
#include "settings/pattern_messages.h"
#include "settings/recent_list.h"
#include "ui/main_window.h"
#include "ui/mode_pages.h"
#include "ui/options_dialog.h"
#include "ui/qt_text.h"

namespace kadrel::ui {

namespace {

// Stored geometry is in twips; the window works in pixels of a 96 dpi screen.
constexpr int kTwipsPerPixel = 15;

std::string StepListPath(const std::string& programFolder) {
  return programFolder + "/" + kStepListFileName;
}

}  // namespace

ModeSettings MainWindow::currentModeSettings() const {
  ModeSettings s = pages_->settings();
  s.ModeIdx = static_cast<int16_t>(modeCombo_->currentIndex());
  return s;
}

// The mode first, so that the page is switched before its values are filled in.
void MainWindow::applyModeSettings(const ModeSettings& settings) {
  if (settings.ModeIdx >= 0 && settings.ModeIdx < modeCombo_->count()) {
    modeCombo_->setCurrentIndex(settings.ModeIdx);
  }
  pages_->applySettings(settings);
}

void MainWindow::LoadSettings() {
  AppSettings app;
  const WindowGeometry current{x() * kTwipsPerPixel, y() * kTwipsPerPixel, width() * kTwipsPerPixel,
                               height() * kTwipsPerPixel};
  app.geometry = current;
  app.options = options_;
  app.recent = recent_;
  ModeSettings modes = currentModeSettings();
  const std::string iniPath = IniFilePath(programFolder_);
  const AppLoadResult loaded = LoadAppSettings(iniPath, app, modes);
  if (!loaded.file.ok()) host_.showMessage(FileOpenErrorBox(loaded.file, iniPath));

  // The input history, offered by all seven fields; their texts stay.
  pages_->offerHistory(app.history);

  // A value not stored comes back as the current one; the window then keeps the
  // place the window manager gives it. Sizes below the created size snap back to it.
  if (app.geometry.left != current.left || app.geometry.top != current.top) {
    move(app.geometry.left / kTwipsPerPixel, app.geometry.top / kTwipsPerPixel);
  }
  if (app.geometry.width != current.width || app.geometry.height != current.height) {
    resize(app.geometry.width / kTwipsPerPixel, app.geometry.height / kTwipsPerPixel);
  }

  options_ = app.options;
  recent_ = app.recent;
  RefreshRecentMenu();
  applyModeSettings(modes);

  ComboModel stored;
  const std::string stepListPath = StepListPath(programFolder_);
  const FileStatus read = ReadStepListFile(host_, files_, options_.codePage, stepListPath, stored);
  if (read.ok()) {
    combo_.steps = std::move(stored.steps);
    combo_.text = std::move(stored.text);
    showComboText();
  } else if (read.code != ENOENT) {  // no steps kept from the last session: nothing to say
    host_.showMessage(FileOpenErrorBox(read, stepListPath));
  }
  RefreshPatternMenus();
}

void MainWindow::SaveSettings() {
  AppSettings app;
  app.windowIsNormal = !isMinimized() && !isMaximized() && !isFullScreen();
  app.geometry = {x() * kTwipsPerPixel, y() * kTwipsPerPixel, width() * kTwipsPerPixel,
                  height() * kTwipsPerPixel};
  app.options = options_;
  app.recent = recent_;
  app.history = pages_->historyEntries();
  const std::string iniPath = IniFilePath(programFolder_);
  const FileStatus read = SaveAppSettings(iniPath, app, currentModeSettings());
  if (!read.ok()) host_.showMessage(FileOpenErrorBox(read, iniPath));
  WriteStepListFile(files_, options_.codePage, StepListPath(programFolder_), combo_.steps);
}

// The settings file held parsed for one pattern's values; false, with the box
// shown, when it cannot be read.
bool MainWindow::holdIniFile(clsIniFile& ini) {
  ini.pFileName(IniFilePath(programFolder_));
  const FileStatus read = ini.mHold();
  if (!read.ok()) host_.showMessage(FileOpenErrorBox(read, ini.pFileName()));
  return read.ok();
}

void MainWindow::LoadModeSettings(int slot) {
  clsIniFile ini(options_.codePage);
  if (!holdIniFile(ini)) return;
  ModeSettings settings = currentModeSettings();
  const ModeLoadResult result = kadrel::LoadModeSettings(ini, slot, settings);
  applyModeSettings(settings);
  if (!result.complete && slot != 0) {
    message("パターン設定の「" + result.stoppedAt +
            "」の値が正しくないため、以降の読込みを中止しました");
  }
}

void MainWindow::SaveModeSettings(int slot) {
  clsIniFile ini(options_.codePage);
  if (!holdIniFile(ini)) return;
  kadrel::SaveModeSettings(ini, slot, currentModeSettings());
  ini.mFlush();
}

void MainWindow::recallPattern(int slot) {
  if (host_.showMessage(PatternReadConfirmation(PatternName(options_, slot))) == BoxAnswer::Yes) {
    LoadModeSettings(slot);
  }
}

void MainWindow::storePattern(int slot) {
  if (host_.showMessage(PatternSaveConfirmation(PatternName(options_, slot))) == BoxAnswer::Yes) {
    SaveModeSettings(slot);
  }
}

void MainWindow::openRecentCombo(int index) {
  if (index < 0 || index >= static_cast<int>(MenuCOMBORecent_.size())) return;
  const std::string path =
      PathFromQString(MenuCOMBORecent_[static_cast<size_t>(index)]->data().toString());
  setMode(ModeNumber(StepMode::Combo));
  combo_.text.clear();
  combo_.steps.clear();
  if (ComboFileOpened(LoadComboFile(host_, files_, options_.codePage, path, combo_))) {
    PushRecentCombo(recent_, path);
  }
  showComboText();
  RefreshRecentMenu();
}

void MainWindow::showOptions() {
  {
    OptionsDialog dialog(
        host_, options_, [this] { ResetTargetList(); }, this);
    runDialog_(dialog);
  }
  RefreshPatternMenus();
}

}  // namespace kadrel::ui
