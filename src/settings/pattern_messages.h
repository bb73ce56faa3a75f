// The setting patterns' names and the confirmations before one is recalled or stored.
#pragma once

#include <string>

#include "core/host.h"
#include "core/run_options.h"

namespace kadrel {

// The name of pattern index (1..3).
const std::string& PatternName(const RunOptions& options, int index);

// Before recalling a pattern: Yes and No, Yes preselected.
MessageBoxRequest PatternReadConfirmation(const std::string& name);
// Before storing over a pattern: Yes and No, No preselected.
MessageBoxRequest PatternSaveConfirmation(const std::string& name);

}  // namespace kadrel
