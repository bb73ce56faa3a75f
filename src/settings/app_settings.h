// The application settings kept in Kadrel.ini: window geometry, run options,
// pattern names, the recent COMBO!! files and the input history.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/run_options.h"
#include "io/file_layer.h"
#include "settings/mode_settings.h"
#include "settings/recent_list.h"

namespace kadrel {

inline constexpr const char* kIniFileName = "Kadrel.ini";

// The settings file in the program's folder.
std::string IniFilePath(const std::string& programFolder);

// The main window's position and size, in twips.
struct WindowGeometry {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct AppSettings {
  // Loading: comes in as the window's current values, which a missing or unusable
  // stored value leaves in place.
  WindowGeometry geometry;
  // Saving: false when the window is minimized or maximized; the geometry stored by
  // an earlier session then stays.
  bool windowIsNormal = true;
  RunOptions options;  // including the pattern names and the code page
  RecentCombos recent;
  std::vector<std::string> history;  // the input history, at most 20 entries
};

struct AppLoadResult {
  // Why the settings file could not be read (not a regular file, too large...);
  // every value then takes its default. A missing file is no failure.
  FileStatus file;
  ModeLoadResult modes;  // how the mode settings load ended
  // The affix keys whose stored value IsUsableAffix refuses; they take their
  // defaults.
  std::vector<std::string> unusableAffixes;
};

// Reads the application settings and the mode settings of slot 0, parsing the
// file once. Every value stands on its own: a numeric run option whose stored text
// is not a 16-bit number becomes 0, a geometry value that is not one is left as it
// came in. The history is merged once with the fields' current texts (taken from
// modes before the mode settings are read).
AppLoadResult LoadAppSettings(const std::string& iniPath, AppSettings& settings,
                              ModeSettings& modes);

// Writes the settings in their order: geometry (when the window is normal), the
// run options, the pattern names, the recent files, the code page, the mode
// settings of slot 0, then the input history; the file is read once and written
// once. When the code page differs from the one the file was written in, the
// file is converted. Write failures are ignored; a file that cannot be read is
// left as it is and the failure returned.
FileStatus SaveAppSettings(const std::string& iniPath, const AppSettings& settings,
                           const ModeSettings& modes);

}  // namespace kadrel
