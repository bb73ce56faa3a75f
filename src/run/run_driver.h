// The run: every listed file through one step (plain run) or through every step
// of the step list (COMBO!! run), or standard input through one step into
// standard output. Each returns what it did, target by target.
#pragma once

#include <functional>
#include <memory>

#include "io/file_layer.h"
#include "run/run_report.h"

namespace kadrel {

struct RunContext;

// The whole run. An error that ends it is reported in the critical box here.
RunReport RunAll(RunContext& ctx);

// The step of ctx over input, read in the code page option's code page (with
// "auto", the one its first bytes show), into output: what the one listed target
// would become (a rewriting step) or what its result file would hold (an
// extraction step). No backup copy, no file written. A target the step skips for
// a bare LF in its first line comes out whole and unchanged (a rewriting step) or
// not at all (an extraction step). ctx.targets holds the name that messages and
// result headers give the input.
RunReport RunOnStreams(RunContext& ctx, std::unique_ptr<InputFile> input,
                       std::unique_ptr<OutputFile> output);

}  // namespace kadrel
