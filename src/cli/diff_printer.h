// kadrel-cli --dry-run: what the run would change, written as a unified diff.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "cli/path_display.h"
#include "run/preview/preview_run.h"
#include "run/preview/shown_line.h"
#include "run/preview/unified_diff.h"

namespace kadrel::cli {

class DiffPrinter : public PreviewSink {
 public:
  // controls: Controls::Visible when out is a terminal; paths in the headers as
  // display shows them; beforeWrite is called before each file's diff is written
  // (it clears a progress line on the same terminal).
  DiffPrinter(std::FILE* out, Controls controls, DiffColors colors, const PathDisplay& display,
              std::function<void()> beforeWrite)
      : out_(out),
        controls_(controls),
        colors_(colors),
        display_(display),
        beforeWrite_(std::move(beforeWrite)) {}

  // Writes the file's diff at once, so that it streams as the run goes on.
  void fileChanged(const FileDiff& diff) override;

  // False once a write to out failed (a closed pipe, a full disk).
  bool ok() const { return ok_; }

 private:
  void flush(std::string& text);

  std::FILE* out_;
  Controls controls_;
  DiffColors colors_;
  const PathDisplay& display_;
  std::function<void()> beforeWrite_;
  bool ok_ = true;
};

}  // namespace kadrel::cli
