// The target file list of a kadrel-cli command: PATH... taken as a drop.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/target_list.h"

namespace kadrel::cli {

// path made absolute against cwd (a drop always gives full paths): "." segments
// and repeated separators are dropped; ".." is left to the file system, since it
// follows a symbolic link that comes before it. An empty path stays empty.
std::string AbsolutePath(const std::string& path, const std::string& cwd);

// The list the PATHs give; a box block on err for paths too long for the system
// and when the list had to stop at its capacity.
TargetListResult ListTargets(const std::vector<std::string>& paths, const RunOptions& options,
                             std::FILE* err);

}  // namespace kadrel::cli
