#include <sys/stat.h>

#include <cerrno>

#include "cli/commands.h"
#include "cli/targets.h"
#include "combo/combo_loader.h"
#include "io/file_layer.h"

namespace kadrel::cli {

int ListCommand(const Request& request, const RunOptions& options, CliHost& host, std::FILE* out) {
  const TargetListResult list = ListTargets(request.paths, options, host.display(), stderr);
  for (const std::string& path : list.paths) {
    // Only a path named on the command line can be missing: a scan lists what it finds.
    if (struct stat st{}; ::stat(path.c_str(), &st) != 0) {
      host.showMessage(FileOpenErrorBox(StatusFromErrno(errno), path));
      continue;
    }
    const std::string shown = host.display().path(path);
    std::fwrite(shown.data(), 1, shown.size(), out);
    std::fputc(request.nullSeparated ? '\0' : '\n', out);
  }
  if (list.paths.empty()) return kExitNothingRun;
  return host.boxCount() > 0 || list.leftOut() ? kExitWithBoxes : kExitClean;
}

}  // namespace kadrel::cli
