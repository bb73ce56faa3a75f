// The check every step passes before it is accepted, from a COMBO!! line, the
// step list file or the main window.
#pragma once

#include <string>

#include "core/host.h"
#include "core/step_record.h"
#include "text/code_page.h"

namespace kadrel {

// The outcome of the check; the values are the message-box answers OK, Cancel
// and No.
enum class StepCheck { Valid = 1, Cancelled = 2, Invalid = 7 };

// Checks the step field by field and reports each problem in a box through host:
// OK goes on with the next check, Cancel stops. lineText is the line the step came
// from ("" for a step built from the window); it is only shown in messages.
// Besides the fields' values, the step's texts are checked against the code page
// the run writes: every character must be one it can hold, and an extraction
// keyword must be a well-formed pattern.
// A replacement step gets its sixth field "0" once its last check has passed or
// been answered with OK.
StepCheck ValidateStep(Host& host, StepRecord& step, const std::string& lineText,
                       CodePage codePage);

// The window's multi-line replacement text, checked as a step's texts are.
StepCheck ValidateMultiLineReplacement(Host& host, const std::string& text, CodePage codePage);

}  // namespace kadrel
