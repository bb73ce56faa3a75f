// The run: every listed file through one step (plain run) or through every step
// of the step list (COMBO!! run).
#pragma once

#include <functional>
#include <optional>

#include "core/step_params.h"
#include "core/step_record.h"

namespace kadrel {

struct RunContext;

// The whole run. Errors that end the run are reported in the critical box here.
void RunAll(RunContext& ctx);

// The dispatcher: runs the engine of a parsed step. Requires ctx.in and ctx.out open.
void RunStep(RunContext& ctx, const StepParams& step);

// Runs work under the run-level error handler: an error that ends the run is
// reported in the critical box, and every file closed.
void RunGuarded(RunContext& ctx, const std::function<void()>& work);

// A step record and its engine parameters, parsed the first time the step runs,
// so that a field that does not convert ends the run where the step would have
// run, and only once however many files it runs over (once per code page with
// "auto": the step's texts meet each file's code page).
class RunnableStep {
 public:
  explicit RunnableStep(const StepRecord& record) : record_(record) {}

  // With the code page option "auto": false, after its box, when a text of the
  // step holds a character that the code page of the target in progress cannot
  // hold; the target is then skipped. Any other fault of the step shows when it
  // runs.
  bool writableFor(RunContext& ctx);

  // Runs the step over ctx.in into ctx.out. Throws RunError.
  void run(RunContext& ctx);

 private:
  void parse(RunContext& ctx);  // for the code page of the target in progress

  const StepRecord& record_;
  std::optional<CodePage> parsedFor_;
  std::optional<StepParams> params_;  // nothing: a mode without an engine
};

}  // namespace kadrel
