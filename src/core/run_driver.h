// The run: every listed file through one step (plain run) or through every step
// of the step list (COMBO!! run).
#pragma once

#include <memory>

#include "core/file_layer.h"
#include "core/step_record.h"

namespace kadrel {

struct RunContext;

// The whole run. Errors that end the run are reported in the critical box here.
void RunAll(RunContext& ctx);

// A plain run over a stream (kadrel-cli's "-"): input is the one listed target,
// read in the code page option's code page (with "auto", the one its first bytes
// show); output receives what the target would become (a rewriting step, whole
// and unchanged when the step skips it) or what its result file would hold (an
// extraction step). No backup copy is made. ctx.targets holds the name that
// messages and result headers give the input.
void RunOnStreams(RunContext& ctx, std::unique_ptr<InputFile> input,
                  std::unique_ptr<OutputFile> output);

// The dispatcher: turns a step record into one engine's arguments and calls it.
// Requires ctx.in and ctx.out open. Throws RunError when a field does not convert.
void RunStep(RunContext& ctx, const StepRecord& step);

}  // namespace kadrel
