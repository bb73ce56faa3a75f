// kadrel-cli --dry-run: what the run would change, written as a unified diff.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "cli/path_display.h"
#include "io/spill_text.h"
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
              std::function<void()> beforeWrite);

  // Writes each hunk as soon as it is complete (its header needs its counts),
  // so that the diff streams as the run goes on; a hunk is held until then, in
  // memory up to a bound and beyond it in a temporary file.
  void fileStarted(const ChangedFile& file) override;
  void hunkLine(char kind, size_t oldNumber, size_t newNumber, std::string_view line) override;
  void hunkDone(const Hunk& hunk) override;
  void fileDone(const ChangedFile& file) override;

  // False once a write to out failed (a closed pipe, a full disk), or a file's
  // diff could not be made whole.
  bool ok() const { return ok_; }

 private:
  void write(std::string_view text);

  std::FILE* out_;
  Controls controls_;
  DiffColors colors_;
  const PathDisplay& display_;
  std::function<void()> beforeWrite_;
  bool ok_ = true;
  CodePage codePage_ = CodePage::UTF8;  // of the file being written
  std::string lines_;                   // the last lines of the hunk
  SpillText hunk_;                      // the hunk's lines before those
};

}  // namespace kadrel::cli
