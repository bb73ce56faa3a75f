// The run options of a kadrel-cli run: section Option of the settings file, read
// as the window reads it at start, then the values given with -o, each checked as
// the options dialog checks it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "core/host.h"
#include "core/run_options.h"

namespace kadrel::cli {

struct OptionsOutcome {
  RunOptions options;
  std::string usageError;                // a refused value, a missing --ini file
  std::optional<MessageBoxRequest> box;  // the settings file could not be read
  bool ok() const { return usageError.empty() && !box; }
};

// The options stored in the settings file at iniPath (defaults when it is missing,
// unless named says it was given with --ini), then optionValues in order. The file
// is only read. An affix in the file that would lead a name out of its folder is
// refused, as a refused -o value is.
OptionsOutcome ReadRunOptions(const std::string& iniPath, bool named,
                              const std::vector<OptionValue>& optionValues);

// Sets one option from its text (see SetRunOptionText). False, with the reason in
// error naming the value and the option as given (its shownAs), when the key is
// unknown or the value refused.
bool SetRunOption(RunOptions& options, const OptionValue& given, std::string& error);

}  // namespace kadrel::cli
