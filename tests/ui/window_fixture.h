// A main window for a test: a temporary program folder, a scripted FakeHost and a
// dialog runner that drives modal dialogs instead of blocking on them.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "support/fake_host.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"

namespace kadrel::test {

class WindowFixture {
 public:
  // Creates the window in a program folder of its own (files written there before
  // the window is created, e.g. Kadrel.ini, are read at start-up).
  explicit WindowFixture(const std::function<void(const std::string& folder)>& before = {});
  ~WindowFixture();

  ui::MainWindow& window() { return *window_; }
  FakeHost& host() { return host_; }
  const std::string& folder() const { return programFolder_.path(); }

  // What happens to the next modal dialogs, in order; a dialog with no script left
  // is rejected. Each script returns the dialog's result.
  void onDialog(std::function<int(QDialog&)> script);
  int dialogsRun() const { return dialogsRun_; }

  // Closes the window as END does (settings are saved) and creates a new one on the
  // same program folder, as a restart would.
  void restart();

  template <typename T>
  T* find(const char* name) {
    return window_->findChild<T*>(QString::fromLatin1(name));
  }

 private:
  void create();

  TempDir programFolder_;
  FakeHost host_;
  std::unique_ptr<ui::MainWindow> window_;
  std::vector<std::function<int(QDialog&)>> scripts_;
  int dialogsRun_ = 0;
};

// The mode pages' controls, found in a window by their object names.
struct PageControls {
  explicit PageControls(QWidget& window);

  // The page of a processing mode's index (0..5, or 9 for COMBO!!).
  QWidget* page(int index) const;
  // The seven fields sharing the input history, in history order.
  std::array<QComboBox*, 7> historyFields() const;

  QStackedWidget* pages;
  QCheckBox* ChkTab[2];
  QCheckBox* ChkCR1;
  QCheckBox* ChkLF1;
  QComboBox* inTrimChr;
  QComboBox* inChangeChr;
  QRadioButton* OptAfterAct[2];
  QPlainTextEdit* TxtAfterWord;
  QRadioButton* OptPosition[2];
  QComboBox* ColCombo;
  QComboBox* AddCombo;
  QRadioButton* StringOption[2];
  QComboBox* SpColCombo;
  QLineEdit* StringText;
  QComboBox* StartCombo;
  QComboBox* SkipCombo;
  QComboBox* inStartChr;
  QComboBox* inEndChr;
  QComboBox* inSrcChr[3];
  QRadioButton* m4ChkAND[2];
  QRadioButton* m4ChkOR[2];
  QCheckBox* OptLineDel;
  QCheckBox* OptSPLineDel;
  QCheckBox* ChkLeft;
  QCheckBox* ChkAll;
  QCheckBox* ChkRight;
  QPlainTextEdit* TextCombo;

 private:
  QWidget& window_;
};

// Drops local file paths on a widget (the viewport of a list or text box) as a
// file manager would.
void DropPaths(QWidget* target, const QStringList& paths);

// Clicks the named button of a dialog.
void ClickButton(QDialog& dialog, const char* name);

// The texts of a list's entries, first to last.
QStringList Entries(const QListWidget* list);

QString Q(const std::string& s);

}  // namespace kadrel::test
