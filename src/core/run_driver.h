// The run: every listed file through one step (plain run) or through every step
// of the step list (COMBO!! run).
#pragma once

#include <functional>

#include "core/step_record.h"

namespace kadrel {

struct RunContext;

// The whole run. Errors that end the run are reported in the critical box here.
void RunAll(RunContext& ctx);

// Runs work under the run-level error handler: an error that ends the run is
// reported in the critical box, and every file closed.
void RunGuarded(RunContext& ctx, const std::function<void()>& work);

// The dispatcher: turns a step record into one engine's arguments and calls it.
// Requires ctx.in and ctx.out open. Throws RunError when a field does not convert.
void RunStep(RunContext& ctx, const StepRecord& step);

}  // namespace kadrel
