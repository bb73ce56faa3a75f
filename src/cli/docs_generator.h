// The manual page and the bash completion of kadrel-cli, written from the option
// table, so that they name every option and operation --help names.
#pragma once

#include <string>

namespace kadrel::cli {

// The manual page: manualTemplate with @VERSION@, @SYNOPSIS@, @OPERATIONS@,
// @OPTIONS@ and @EXAMPLES@ replaced by roff written from the table.
std::string ManualPage(const std::string& manualTemplate);

// The bash completion script: operations, options (an operation's own only after
// it), option values (files, fixed choices, the run option keys of -o and their
// values), file names elsewhere.
std::string BashCompletion();

}  // namespace kadrel::cli
