#include "cli/targets.h"

#include "cli/cli_host.h"

#include <filesystem>
#include <system_error>

namespace kadrel::cli {

std::string AbsolutePath(const std::string& path, const std::string& cwd) {
  if (path.empty() || (path.front() != '/' && cwd.empty())) return path;
  const std::string joined = path.front() == '/' ? path : cwd + "/" + path;
  std::string out;
  size_t start = 0;
  while (start <= joined.size()) {
    size_t slash = joined.find('/', start);
    if (slash == std::string::npos) slash = joined.size();
    const std::string segment = joined.substr(start, slash - start);
    if (!segment.empty() && segment != ".") out += "/" + segment;
    start = slash + 1;
  }
  const bool folderForm = joined.back() == '/' || joined.ends_with("/.");
  if (out.empty() || folderForm) out += "/";
  return out;
}

TargetListResult ListTargets(const std::vector<std::string>& paths, const RunOptions& options,
                             std::FILE* err) {
  std::error_code ec;
  const std::string cwd = std::filesystem::current_path(ec).string();
  std::vector<std::string> dropped;
  dropped.reserve(paths.size());
  for (const std::string& p : paths) dropped.push_back(AbsolutePath(p, cwd));
  TargetListResult result = BuildTargetList(dropped, options);
  for (const std::string& note : LeftOutNotes(result)) {
    MessageBoxRequest box;
    box.text = note;
    std::fputs(FormatBoxBlock(box).c_str(), err);
  }
  return result;
}

}  // namespace kadrel::cli
