// The COMBO!! work file belongs to one run at a time: the first run takes
// "kdrcmb.work" in the program's folder (holding a lock on the folder while it
// runs); a run started beside it gets a name of its own process.
#pragma once

namespace kadrel {

struct RunContext;

class WorkFileClaim {
 public:
  explicit WorkFileClaim(RunContext& ctx);  // sets ctx.workFileName
  ~WorkFileClaim();
  WorkFileClaim(const WorkFileClaim&) = delete;
  WorkFileClaim& operator=(const WorkFileClaim&) = delete;

 private:
  int lockFd_ = -1;
};

}  // namespace kadrel
