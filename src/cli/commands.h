// The commands of kadrel-cli. Each returns the process's exit status.
#pragma once

#include <cstdio>
#include <string>

#include "cli/cli_host.h"
#include "cli/cli_options.h"
#include "core/run_options.h"

namespace kadrel::cli {

// Exit statuses.
inline constexpr int kExitClean = 0;       // ran, no box shown
inline constexpr int kExitWithBoxes = 1;   // ran, at least one box shown
inline constexpr int kExitNothingRun = 2;  // usage error, nothing listed, step refused...
inline constexpr int kExitInterrupted = 130;

// A named operation, -s LINE or -c FILE...: the START checks, then the run.
int RunCommand(const Request& request, const RunOptions& options, CliHost& host);

// --list: the target file list, one path a line, as the PATHs name the files. A
// named path that does not exist is left out with a box, as the run would show one.
int ListCommand(const Request& request, const RunOptions& options, CliHost& host, std::FILE* out);

// --describe LINE or OPERATION...: the step's description when the step is valid.
int DescribeCommand(const Request& request, const RunOptions& options, CliHost& host,
                    std::FILE* out);

// --show-combo FILE...: the COMBO!! text the files give.
int ShowComboCommand(const Request& request, const RunOptions& options, CliHost& host,
                     std::FILE* out);

// --undo: takes back the last run made with these settings.
int UndoCommand(const Request& request, CliHost& host);
// The undo journal's folder: beside the settings file named with --ini, else in
// the program's folder.
std::string UndoFolder(const Request& request);

}  // namespace kadrel::cli
