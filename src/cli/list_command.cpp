#include "cli/commands.h"
#include "cli/targets.h"

namespace kadrel::cli {

int ListCommand(const Request& request, const RunOptions& options, std::FILE* out, std::FILE* err) {
  const TargetListResult list = ListTargets(request.paths, options, err);
  for (const std::string& path : list.paths) {
    std::fwrite(path.data(), 1, path.size(), out);
    std::fputc(request.nullSeparated ? '\0' : '\n', out);
  }
  if (list.paths.empty()) return kExitNothingRun;
  return list.leftOut() ? kExitWithBoxes : kExitClean;
}

}  // namespace kadrel::cli
