// The Host of kadrel-cli: every message box becomes a block on standard error,
// problem boxes are answered as the command line says, and the progress of a run
// is shown on one line of a terminal. A closed standard error cancels the run.
#pragma once

#include <cstdio>
#include <string>

#include "cli/path_display.h"
#include "core/host.h"

namespace kadrel::cli {

// "[TITLE] text\n": TITLE "Kadrel" when the box has none; every CR LF or lone CR
// of the text becomes a line feed.
std::string FormatBoxBlock(const MessageBoxRequest& box);

// CR LF and lone CR as line feeds.
std::string ToLineFeeds(const std::string& text);

class CliHost : public Host {
 public:
  // okCancelAnswer answers boxes with OK and Cancel; Yes/No boxes take their
  // default. showProgress: write the progress line (see ShowsProgress).
  // showCodePages: name the code page each file is read in (not quiet). Paths in
  // boxes and code page lines are shown as display shows them.
  CliHost(std::FILE* err, BoxAnswer okCancelAnswer, bool showProgress, bool showCodePages = false,
          PathDisplay display = {});
  ~CliHost() override;

  BoxAnswer showMessage(const MessageBoxRequest& request) override;
  void yield() override {}
  void setProgress(const RunProgress& progress) override;
  void selectTarget(int) override {}
  // "PATH: 文字コード NAME" on a line of its own.
  void showCodePage(const std::string& path, const std::string& codePage) override;

  // The run's summary line ("12 ファイル: 書き換え 9、変更なし 2、スキップ 1").
  void summary(const std::string& line);

  int boxCount() const { return boxCount_; }
  const PathDisplay& display() const { return display_; }
  // Removes the progress line, if one is shown.
  void endProgress();

 private:
  void flush();

  std::FILE* err_;
  BoxAnswer okCancelAnswer_;
  bool showProgress_;
  bool showCodePages_;
  PathDisplay display_;
  bool progressShown_ = false;
  int boxCount_ = 0;
};

}  // namespace kadrel::cli
