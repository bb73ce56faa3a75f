// The program's folder: where Kadrel.ini, KadrelCmb.data and the COMBO!! work
// file live.
#pragma once

#include <string>

namespace kadrel {

// The executable's folder when the program may write there; otherwise the
// per-user folder (XDG_CONFIG_HOME or ~/.config, then "Kadrel"), created when
// missing. Returned without a trailing "/".
std::string ProgramFolder(const std::string& executableFolder);

}  // namespace kadrel
