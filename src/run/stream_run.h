// A plain run over a stream (kadrel-cli's "-"): the input is the one listed
// target, the output what the target would become (a rewriting step) or what its
// result file would hold (an extraction step). No backup copy, no file written.
#pragma once

#include <memory>

#include "io/file_layer.h"

namespace kadrel {

struct RunContext;

// Runs ctx.StepArr over input, read in the code page option's code page (with
// "auto", the one its first bytes show), into output. A target the step skips
// for a bare LF in its first line comes out whole and unchanged (a rewriting
// step) or not at all (an extraction step). ctx.targets holds the name that
// messages and result headers give the input.
void RunOnStreams(RunContext& ctx, std::unique_ptr<InputFile> input,
                  std::unique_ptr<OutputFile> output);

}  // namespace kadrel
