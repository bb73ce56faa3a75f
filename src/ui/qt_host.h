// The desktop program's Host: Qt message boxes with Japanese buttons, a yield
// that pumps events at most every ~15 ms, and the main window's run dialog,
// target list and multi-line replacement text.
#pragma once

#include <QElapsedTimer>
#include <QPointer>

#include "core/host.h"

namespace kadrel::ui {

class MainWindow;

class QtHost : public Host {
 public:
  QtHost();

  // The window whose run dialog, List1 and TxtAfterWord this host serves.
  void attach(MainWindow* window) { window_ = window; }

  BoxAnswer showMessage(const MessageBoxRequest& request) override;
  void yield() override;
  void setProgress(const RunProgress& progress) override;
  void selectTarget(int index) override;
  void showCodePage(const std::string& path, const std::string& codePage) override;
  std::string multiLineReplacement() override;

  // The shortest time between two event pumps of yield().
  static constexpr int kYieldIntervalMs = 15;

 private:
  QPointer<MainWindow> window_;
  QElapsedTimer sinceLastPump_;
};

}  // namespace kadrel::ui
