// What START checks before it builds the step: that files are listed and, for a
// COMBO!! run, that a COMBO!! file has been loaded.
#pragma once

#include <string>
#include <vector>

namespace kadrel {

// The target list's line while it holds no file.
inline constexpr const char* kTargetPlaceholder = "対象ファイルをドロップして下さい";

// The message refusing START, in the order of the checks, or "" when the run may
// go on to its confirmation. listEntries is the target list as shown; comboText
// the COMBO!! text box's text (read only in COMBO!! mode).
std::string CheckStart(const std::vector<std::string>& listEntries, bool comboMode,
                       const std::string& comboText);

}  // namespace kadrel
