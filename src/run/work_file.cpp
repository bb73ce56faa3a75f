#include "run/work_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include "core/run_context.h"

namespace kadrel {

WorkFileClaim::WorkFileClaim(RunContext& ctx) {
  lockFd_ = ::open(ctx.programFolder.empty() ? "." : ctx.programFolder.c_str(),
                   O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lockFd_ >= 0 && ::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) {
    ctx.workFileName = "kdrcmb.work";
    return;
  }
  if (lockFd_ >= 0) ::close(lockFd_);
  lockFd_ = -1;
  ctx.workFileName = "kdrcmb." + std::to_string(::getpid()) + ".work";
}

WorkFileClaim::~WorkFileClaim() {
  if (lockFd_ >= 0) ::close(lockFd_);  // closing releases the lock
}

}  // namespace kadrel
