// The program's folder: where Kadrel.ini, KadrelCmb.data and the COMBO!! work file
// live. It is the executable's own folder when that can be written to, otherwise
// the per-user folder ~/.config/Kadrel.
#pragma once

#include <string>

namespace kadrel {

// The folder of the running executable (from /proc/self/exe), without a final
// "/"; empty when it cannot be found.
std::string ExecutableFolder();

// The per-user folder: $HOME/.config/Kadrel (the home folder from the password
// database when HOME is not set).
std::string UserConfigFolder();

// exeFolder when it is a folder that can be written to; otherwise userFolder,
// created (with its parents) if missing.
std::string ChooseProgramFolder(const std::string& exeFolder, const std::string& userFolder);

// The program's folder of this process.
std::string ProgramFolder();

}  // namespace kadrel
