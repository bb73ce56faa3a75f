#include "cli/targets.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "cli/cli_host.h"
#include "cli/quoted_value.h"
#include "io/file_layer.h"

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

std::string WorkingFolder() {
  std::error_code ec;
  return std::filesystem::current_path(ec).string();
}

TargetListResult ListTargets(const std::vector<std::string>& paths, const RunOptions& options,
                             const PathDisplay& display, std::FILE* err) {
  const std::string cwd = WorkingFolder();
  std::vector<std::string> dropped;
  dropped.reserve(paths.size());
  for (const std::string& p : paths) dropped.push_back(AbsolutePath(p, cwd));
  // A run of kadrel-cli takes any number of files; the window's list holds 32,767.
  TargetListResult result = BuildTargetList(dropped, options, kAnyNumberOfEntries);
  for (const std::string& note : LeftOutNotes(result)) {
    MessageBoxRequest box;
    box.text = note;
    std::fputs(display.text(FormatBoxBlock(box)).c_str(), err);
  }
  return result;
}

bool ReadPathList(const std::string& listPath, std::vector<std::string>& paths,
                  std::string& error) {
  const bool standardInput = listPath == "-";
  const int fd = standardInput ? STDIN_FILENO : ::open(listPath.c_str(), O_RDONLY | O_CLOEXEC);
  auto fail = [&](const std::string& reason) {
    error = "--files0-from: " + (standardInput ? std::string("標準入力") : QuotedValue(listPath)) +
            " " + reason;
    if (fd >= 0 && !standardInput) ::close(fd);
    return false;
  };
  if (fd < 0) return fail("を開けません（" + StatusFromErrno(errno).text + "）");
  std::string name;
  char buffer[65536];
  auto take = [&]() {
    if (name.empty()) return fail("の " + std::to_string(paths.size() + 1) + " 番目の名前が空です");
    paths.push_back(name == "-" ? "./-" : std::move(name));
    name.clear();
    return true;
  };
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail("を読めません（" + StatusFromErrno(errno).text + "）");
    if (n == 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] != '\0') {
        name += buffer[i];
      } else if (!take()) {
        return false;
      }
    }
  }
  if (!name.empty() && !take()) return false;
  if (!standardInput) ::close(fd);
  return true;
}

}  // namespace kadrel::cli
