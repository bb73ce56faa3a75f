// The COMBO!! run: every step line of the step list over each target file, the
// steps chained through the work file, one backup copy per file, always kept.
#pragma once

namespace kadrel {

struct RunContext;

// The COMBO!! branch of RunAll. Throws RunError like the plain run.
void RunCombo(RunContext& ctx);

}  // namespace kadrel
