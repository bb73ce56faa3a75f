#include "proof/cli_runner.h"

#include <fcntl.h>
#include <grp.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "support/temp_dir.h"

extern char** environ;

namespace kadrel::proof {

pid_t StartCli(const std::vector<std::string>& args, const std::string& errPath, bool asNobody) {
  std::vector<std::string> all{KADREL_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  if (asNobody) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    const int null = ::open("/dev/null", O_RDWR);
    const int err =
        errPath.empty() ? null : ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(err, 2);
    if (::getuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                            ::setresuid(65534, 65534, 65534) != 0))
      ::_exit(126);
    ::execve(argv[0], argv.data(), environ);
    ::_exit(127);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.empty() ? "/dev/null" : errPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

int WaitCli(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

CliResult RunCli(const std::vector<std::string>& args, const std::string& scratch, bool asNobody) {
  const std::string errPath = scratch + "/cli.err";
  CliResult r;
  const pid_t pid = StartCli(args, errPath, asNobody);
  if (pid < 0) return r;
  r.status = WaitCli(pid);
  r.err = test::ReadFile(errPath);
  return r;
}

}  // namespace kadrel::proof
