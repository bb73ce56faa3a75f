// The run options of a kadrel-cli run: section Option of the settings file, read
// as the window reads it at start, then the values given with -o.
#pragma once

#include <string>

#include "core/run_options.h"

namespace kadrel::cli {

// The options stored in the settings file at iniPath (defaults when it is missing).
// The file is only read.
RunOptions ReadRunOptions(const std::string& iniPath);

// Sets one option from its text the way a stored value is read: an empty value
// gives the option's default, a numeric option whose text is not a 16-bit number
// becomes 0. KEY is one of the keys of section Option, matched ignoring case.
// False, with the reason in error, for an unknown key or code page.
bool SetRunOption(RunOptions& options, const std::string& key, const std::string& value,
                  std::string& error);

}  // namespace kadrel::cli
