// The run: every listed file through one step (plain run) or through every step
// of the step list (COMBO!! run).
#pragma once

#include <optional>

#include "core/step_params.h"
#include "core/step_record.h"

namespace kadrel {

struct RunContext;

// The whole run. Errors that end the run are reported in the critical box here.
void RunAll(RunContext& ctx);

// The dispatcher: runs the engine of a parsed step. Requires ctx.in and ctx.out open.
void RunStep(RunContext& ctx, const StepParams& step);

// A step record and its engine parameters, parsed the first time the step runs,
// so that a field that does not convert ends the run where the step would have
// run, and only once however many files it runs over.
class RunnableStep {
 public:
  explicit RunnableStep(const StepRecord& record) : record_(record) {}

  // Runs the step over ctx.in into ctx.out. Throws RunError.
  void run(RunContext& ctx);

 private:
  const StepRecord& record_;
  bool parsed_ = false;
  std::optional<StepParams> params_;  // nothing: a mode without an engine
};

}  // namespace kadrel
