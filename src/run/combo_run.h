// The COMBO!! run: every step line of the step list over each target file, each
// step's output written beside the file and read by the next step; the file takes
// the last output once every step has run, its previous content kept in its
// backup copy (whatever BkupEdit says).
#pragma once

namespace kadrel {

struct RunContext;

// The COMBO!! branch of RunAll. Throws RunError like the plain run.
void RunCombo(RunContext& ctx);

}  // namespace kadrel
