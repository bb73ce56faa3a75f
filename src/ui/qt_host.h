// The desktop program's Host: Qt message boxes with Japanese buttons, a yield
// that pumps events at most every ~15 ms, and the main window's run dialog and
// target list.
#pragma once

#include <QElapsedTimer>
#include <QPointer>

#include "core/host.h"

namespace kadrel::ui {

class MainWindow;

class QtHost : public Host {
 public:
  QtHost();

  // The window whose run dialog and List1 this host serves.
  void attach(MainWindow* window) { window_ = window; }

  BoxAnswer showMessage(const MessageBoxRequest& request) override;
  void yield() override;
  void setProgress(const RunProgress& progress) override;
  void selectTarget(int index) override;
  void showCodePage(const std::string& path, const std::string& codePage) override;

  // The shortest time between two event pumps of yield().
  static constexpr int kYieldIntervalMs = 15;

 private:
  QPointer<MainWindow> window_;
  QElapsedTimer sinceLastPump_;
};

}  // namespace kadrel::ui
