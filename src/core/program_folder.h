// The program's folder: where Kadrel.ini and KadrelCmb.data live. It is the
// executable's own folder when that can be written to and the program is not an
// installed one, otherwise the per-user folder $XDG_CONFIG_HOME/Kadrel
// (~/.config/Kadrel).
#pragma once

#include <string>

namespace kadrel {

// The folder of the running executable (from /proc/self/exe), without a final
// "/"; empty when it cannot be found.
std::string ExecutableFolder();

// The per-user folder: $XDG_CONFIG_HOME/Kadrel when XDG_CONFIG_HOME is an absolute
// path, else $HOME/.config/Kadrel (the home folder from the password database
// when HOME is not set).
std::string UserConfigFolder();

// True when exeFolder is the bin folder of an installed program: the installation
// put share/kadrel (the window's package) or share/doc/kadrel-cli (kadrel-cli's)
// beside it, as /usr/bin and /usr/share/kadrel. Such a folder is shared by every
// user, and root may write to it, but settings never go there.
bool IsInstalledProgramFolder(const std::string& exeFolder);

// The per-user folder of what a program keeps between its runs:
// $XDG_STATE_HOME/kadrel, by default $HOME/.local/state/kadrel (not created here).
std::string UserStateFolder();

// exeFolder when it is a folder that can be written to and not the folder of an
// installed program; otherwise userFolder, created (with its parents) if missing.
std::string ChooseProgramFolder(const std::string& exeFolder, const std::string& userFolder);

// The program's folder of this process.
std::string ProgramFolder();

}  // namespace kadrel
