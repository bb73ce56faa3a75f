// The run: every listed file through one step (plain run) or through every step
// of the step list (COMBO!! run).
#pragma once

#include "core/step_record.h"

namespace kadrel {

struct RunContext;

// The whole run. Errors that end the run are reported in the critical box here.
void RunAll(RunContext& ctx);

// The dispatcher: turns a step record into one engine's arguments and calls it.
// Requires ctx.in and ctx.out open. Throws RunError when a field does not convert.
void RunStep(RunContext& ctx, const StepRecord& step);

}  // namespace kadrel
