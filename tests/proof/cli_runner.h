// Runs the built kadrel-cli from a test: started in the background (to be killed)
// or to its end with its standard error caught.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace kadrel::proof {

// Starts kadrel-cli with args; standard output goes nowhere, standard error to
// errPath ("" nowhere). asNobody: as the user "nobody" (when started as root).
// -1 when it could not be started.
pid_t StartCli(const std::vector<std::string>& args, const std::string& errPath = "",
               bool asNobody = false);
// Waits for the process: its exit status, or 128 + the signal that ended it.
int WaitCli(pid_t pid);

struct CliResult {
  int status = -1;
  std::string err;
};
// Runs kadrel-cli to its end; scratch is a folder for its standard error.
CliResult RunCli(const std::vector<std::string>& args, const std::string& scratch,
                 bool asNobody = false);

}  // namespace kadrel::proof
