#include "settings/app_settings.h"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "core/conversions.h"
#include "settings/input_history.h"
#include "settings/option_checks.h"
#include "settings/option_keys.h"

namespace kadrel {

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kRecent = "recent";

std::string HistoryKey(size_t i) {
  char key[8];
  std::snprintf(key, sizeof key, "%02zu", i);
  return key;
}

std::string RecentKey(size_t i) {
  return "CmbRecent" + std::to_string(i);
}

// The code page the file is written in. Its name is plain ASCII, so any of the
// code pages reads it; a file without it (a new one, one from another machine)
// takes the default, "auto": it is read in the code page its bytes show.
CodePageSetting StoredCodePage(const clsIniFile& ini) {
  std::optional<CodePageSetting> cp =
      ParseCodePageSetting(ini.mGetString(kOptionSection, kCodePageKey));
  return cp ? *cp : RunOptions{}.codePage;
}

void LoadGeometryValue(const clsIniFile& ini, const char* key, int& value) {
  std::optional<int16_t> n = TryReadInteger(ini.mGetString(kSettings, key, FormatInteger(value)));
  if (n) value = *n;
}

// A numeric option whose text is not a 16-bit number is left at 0, the value the
// options have before any setting is read; an affix that would lead a name out of
// its folder takes its default. False for such an affix.
bool LoadOption(const clsIniFile& ini, const OptionKey& o, RunOptions& options) {
  std::string value = ini.mGetString(kOptionSection, o.readKey, o.defaultValue);
  if (o.text == nullptr) {
    std::optional<int16_t> n = TryReadInteger(value);
    options.*o.number = n ? *n : 0;
    return true;
  }
  const bool usable = o.kind != OptionKind::Affix || IsUsableAffix(value);
  options.*o.text = usable ? std::move(value) : std::string(o.defaultValue);
  return usable;
}

}  // namespace

std::string IniFilePath(const std::string& programFolder) {
  return programFolder + "/" + kIniFileName;
}

AppLoadResult LoadAppSettings(const std::string& iniPath, AppSettings& settings,
                              ModeSettings& modes) {
  AppLoadResult result;
  RunOptions& options = settings.options;
  clsIniFile ini;
  ini.pFileName(iniPath);
  result.file = ini.mHold();
  options.codePage = StoredCodePage(ini);
  ini.setCodePage(options.codePage);

  std::vector<std::string> history;
  for (size_t i = 0; i < kHistoryMax; ++i) {
    std::string entry = ini.mGetString(kRecent, HistoryKey(i));
    if (entry.empty()) break;
    history.push_back(std::move(entry));
  }
  settings.history = MergeInputHistory({modes.TrimChr, modes.ChangeChr, modes.StartChr,
                                        modes.EndChr, modes.SrcChr0, modes.SrcChr1, modes.SrcChr2},
                                       history);

  LoadGeometryValue(ini, "MainLeft", settings.geometry.left);
  LoadGeometryValue(ini, "MainTop", settings.geometry.top);
  LoadGeometryValue(ini, "MainWidth", settings.geometry.width);
  LoadGeometryValue(ini, "MainHeight", settings.geometry.height);

  for (const OptionKey& o : kOptionKeys) {
    if (!LoadOption(ini, o, options)) result.unusableAffixes.push_back(o.readKey);
  }
  for (size_t i = 0; i < settings.recent.size(); ++i) {
    settings.recent[i] = ini.mGetString(kOptionSection, RecentKey(i));
  }
  result.modes = LoadModeSettings(ini, 0, modes);
  return result;
}

FileStatus SaveAppSettings(const std::string& iniPath, const AppSettings& settings,
                           const ModeSettings& modes) {
  const RunOptions& options = settings.options;
  clsIniFile ini;
  ini.pFileName(iniPath);
  const FileStatus read = ini.mHold();
  if (!read.ok()) return read;
  ini.setCodePage(StoredCodePage(ini));
  ini.mConvertHeld(options.codePage);

  if (settings.windowIsNormal) {
    ini.mSetString(kSettings, "MainLeft", FormatInteger(settings.geometry.left));
    ini.mSetString(kSettings, "MainTop", FormatInteger(settings.geometry.top));
    ini.mSetString(kSettings, "MainWidth", FormatInteger(settings.geometry.width));
    ini.mSetString(kSettings, "MainHeight", FormatInteger(settings.geometry.height));
  }

  const auto writeOptions = [&](bool added) {
    for (const OptionKey& o : kOptionKeys) {
      if (o.added != added) continue;
      ini.mSetString(kOptionSection, o.writeKey,
                     o.text != nullptr ? options.*o.text : FormatInteger(options.*o.number));
    }
  };
  writeOptions(false);
  for (size_t i = 0; i < settings.recent.size(); ++i) {
    ini.mSetString(kOptionSection, RecentKey(i), settings.recent[i]);
  }
  ini.mSetString(kOptionSection, kCodePageKey, CodePageSettingName(options.codePage));
  writeOptions(true);

  SaveModeSettings(ini, 0, modes);

  for (size_t i = 0; i < settings.history.size() && i < kHistoryMax; ++i) {
    if (settings.history[i].empty()) break;
    ini.mSetString(kRecent, HistoryKey(i), settings.history[i]);
  }
  ini.mFlush();
  return {};
}

}  // namespace kadrel
