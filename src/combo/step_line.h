// The text form of a step: fields separated by commas, the last item dropped.
#pragma once

#include <string_view>

#include "core/step_record.h"

namespace kadrel {

// Splits a step line at every comma; item k is field k; the last item is dropped.
StepRecord SplitStepLine(std::string_view line);

}  // namespace kadrel
