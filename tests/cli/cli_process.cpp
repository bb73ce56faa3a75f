#include "cli_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "support/temp_dir.h"

namespace kadrel::test {

CliProcess::CliProcess(const std::vector<std::string>& args, const std::string& cwd,
                       const std::string& scratch, const std::string& input, int errFd, int outFd)
    : outPath_(scratch + "/cli.out"), errPath_(scratch + "/cli.err") {
  std::vector<std::string> argv{KADREL_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (std::string& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);

  // What an earlier run left in scratch is not this run's output.
  if (outFd >= 0) std::remove(outPath_.c_str());
  if (errFd >= 0) std::remove(errPath_.c_str());
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    const int in = ::open(input.c_str(), O_RDONLY);
    const int out =
        outFd >= 0 ? outFd : ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err =
        errFd >= 0 ? errFd : ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || ::chdir(cwd.c_str()) != 0) ::_exit(127);
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::execv(cargv[0], cargv.data());
    ::_exit(127);
  }
}

CliResult CliProcess::wait() {
  int raw = 0;
  while (::waitpid(pid_, &raw, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  CliResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  r.out = FileExists(outPath_) ? ReadFile(outPath_) : "";
  r.err = FileExists(errPath_) ? ReadFile(errPath_) : "";
  return r;
}

CliResult RunCli(const std::vector<std::string>& args, const std::string& cwd,
                 const std::string& scratch, const std::string& input) {
  return CliProcess(args, cwd, scratch, input).wait();
}

}  // namespace kadrel::test
