// A step as a run takes it: its record, its mode, and its engine parameters,
// parsed the first time it runs in a code page, so that a field that does not
// convert ends the run where the step would have run, and only once however many
// files it runs over (once per code page with "auto": the step's texts meet each
// file's code page).
#pragma once

#include <optional>
#include <string>

#include "core/engine_io.h"
#include "core/host.h"
#include "core/step_mode.h"
#include "core/step_params.h"
#include "core/step_record.h"

namespace kadrel {

class RunnableStep {
 public:
  // mode: the engine the step runs; nothing for a step that does nothing (no
  // engine for its mode).
  RunnableStep(StepRecord record, std::optional<StepMode> mode)
      : record_(std::move(record)), mode_(mode) {}

  const StepRecord& record() const { return record_; }
  std::optional<StepMode> mode() const { return mode_; }
  bool rewrites() const { return mode_ && RewritesTarget(*mode_); }
  bool extracts() const { return mode_ && Extracts(*mode_); }

  // Whether every text of the step fits codePage; when one does not, false after
  // a box naming the character and the target, which is then skipped. Any other
  // fault of the step shows when it runs.
  bool writableFor(Host& host, CodePage codePage, const std::string& multiLineReplacement,
                   const std::string& targetPath);

  // Runs the step over io.in into io.out, its texts in codePage. Throws RunError.
  void run(EngineIo& io, CodePage codePage, const std::string& multiLineReplacement);

 private:
  void parse(CodePage codePage, const std::string& multiLineReplacement);

  StepRecord record_;
  std::optional<StepMode> mode_;
  std::optional<CodePage> parsedFor_;
  std::optional<StepParams> params_;  // nothing: a mode without an engine
};

// The dispatcher: runs the engine of a parsed step. Requires io.in and io.out open.
void RunStep(EngineIo& io, const StepParams& step);

}  // namespace kadrel
