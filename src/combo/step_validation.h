// The check every step passes before it is accepted, from a COMBO!! line, the
// step list file or the main window.
#pragma once

#include <string>

#include "core/host.h"
#include "core/step_record.h"

namespace kadrel {

// The outcome of the check; the values are the message-box answers OK, Cancel
// and No.
enum class StepCheck { Valid = 1, Cancelled = 2, Invalid = 7 };

// Checks the step field by field and reports each problem in a box through host:
// OK goes on with the next check, Cancel stops. lineText is the line the step came
// from ("" for a step built from the window); it is only shown in messages.
// A replacement step gets its sixth field "0" once its last check has passed or
// been answered with OK.
StepCheck ValidateStep(Host& host, StepRecord& step, const std::string& lineText);

}  // namespace kadrel
