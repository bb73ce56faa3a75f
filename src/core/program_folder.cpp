#include "core/program_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace kadrel {

std::string ProgramFolder(const std::string& executableFolder) {
  if (!executableFolder.empty() && ::access(executableFolder.c_str(), W_OK | X_OK) == 0) {
    return executableFolder;
  }
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = std::string(home) + "/.config";
  } else {
    base = "/tmp";
  }
  const std::string folder = base + "/Kadrel";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder;
}

}  // namespace kadrel
