// The one-line Japanese rendering of a step, shown in the COMBO!! text and in the
// run confirmation.
#pragma once

#include <string>

#include "core/step_record.h"

namespace kadrel {

// The mode's name, an ideographic space and the mode's settings, without ASCII
// spaces at either end; every field is read as the run reads it. A malformed step
// (a missing field, a field that is not a number, a mode or action out of range)
// gives the text built up to that point.
std::string DescribeStep(const StepRecord& step);

}  // namespace kadrel
