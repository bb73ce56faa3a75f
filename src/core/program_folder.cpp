#include "core/program_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/file_naming.h"

namespace kadrel {

std::string ExecutableFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe.parent_path().string();
}

namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  std::string folder = home != nullptr ? home : "";
  if (folder.empty()) {
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
      folder = pw->pw_dir;
  }
  if (folder.empty()) folder = "/tmp";  // no home at all: still a place to work in
  return AddPathSep(folder);
}

}  // namespace

std::string UserConfigFolder() {
  // The XDG base directory rule: an absolute XDG_CONFIG_HOME, else ~/.config (a
  // relative one is to be ignored).
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
    return AddPathSep(config) + "Kadrel";
  return HomeFolder() + ".config/Kadrel";
}

std::string UserStateFolder() {
  // A relative value is no base folder: the default is taken then.
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return AddPathSep(state) + "kadrel";
  return HomeFolder() + ".local/state/kadrel";
}

bool IsInstalledProgramFolder(const std::string& exeFolder) {
  if (exeFolder.empty()) return false;
  const std::string share = AddPathSep(exeFolder) + "../share/";
  return IsFolder(share + "kadrel") || IsFolder(share + "doc/kadrel-cli");
}

std::string ChooseProgramFolder(const std::string& exeFolder, const std::string& userFolder) {
  if (!exeFolder.empty() && IsFolder(exeFolder) && ::access(exeFolder.c_str(), W_OK) == 0 &&
      !IsInstalledProgramFolder(exeFolder))
    return exeFolder;
  std::error_code ec;
  std::filesystem::create_directories(userFolder, ec);  // a failure shows when a file is written
  return userFolder;
}

std::string ProgramFolder() {
  return ChooseProgramFolder(ExecutableFolder(), UserConfigFolder());
}

}  // namespace kadrel
