// Starting the built kadrel-cli in a test, its standard output and error caught
// in files.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace kadrel::test {

struct CliResult {
  int status = -1;  // exit status; 128 + signal number when a signal ended it
  std::string out;
  std::string err;
};

class CliProcess {
 public:
  // Starts kadrel-cli with args in folder cwd; out and err go to files in scratch,
  // or to the descriptors outFd and errFd when given; standard input comes from
  // the file input.
  CliProcess(const std::vector<std::string>& args, const std::string& cwd,
             const std::string& scratch, const std::string& input = "/dev/null", int errFd = -1,
             int outFd = -1);
  pid_t pid() const { return pid_; }
  // Waits for the end and reads what it wrote.
  CliResult wait();

 private:
  pid_t pid_ = -1;
  std::string outPath_, errPath_;
};

CliResult RunCli(const std::vector<std::string>& args, const std::string& cwd,
                 const std::string& scratch, const std::string& input = "/dev/null");

}  // namespace kadrel::test
