// The target file list of a kadrel-cli command: PATH... taken as a drop.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/path_display.h"
#include "core/target_list.h"

namespace kadrel::cli {

// path made absolute against cwd (a drop always gives full paths): "." segments
// and repeated separators are dropped; ".." is left to the file system, since it
// follows a symbolic link that comes before it. An empty path stays empty.
std::string AbsolutePath(const std::string& path, const std::string& cwd);

// The working folder ("" when it cannot be found).
std::string WorkingFolder();

// The list the PATHs give; a box block on err for paths too long for the system
// and when the list had to stop at its capacity, paths shown as display shows them.
TargetListResult ListTargets(const std::vector<std::string>& paths, const RunOptions& options,
                             const PathDisplay& display, std::FILE* err);

// --files0-from: the names in the file at listPath ("-": standard input), each
// ended by a NUL byte (the last may lack it). Every name is a file or folder:
// "-" names the file "-", not standard input. False, with the reason in error,
// when the file cannot be read or holds an empty name.
bool ReadPathList(const std::string& listPath, std::vector<std::string>& paths, std::string& error);

}  // namespace kadrel::cli
