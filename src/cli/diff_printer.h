// kadrel-cli --dry-run: what the run would change, written as a unified diff.
#pragma once

#include <cstdio>
#include <string>

#include "run/preview/preview_run.h"
#include "run/preview/shown_line.h"

namespace kadrel::cli {

class DiffPrinter : public PreviewSink {
 public:
  // controls: Controls::Visible when out is a terminal.
  DiffPrinter(std::FILE* out, Controls controls) : out_(out), controls_(controls) {}

  // Writes the file's diff at once, so that it streams as the run goes on.
  void fileChanged(const FileDiff& diff) override;

  // False once a write to out failed (a closed pipe, a full disk).
  bool ok() const { return ok_; }

 private:
  void flush(std::string& text);

  std::FILE* out_;
  Controls controls_;
  bool ok_ = true;
};

}  // namespace kadrel::cli
