#include "settings/app_settings.h"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "core/conversions.h"
#include "settings/input_history.h"

namespace kadrel {

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kOption = "Option";
constexpr const char* kRecent = "recent";
constexpr const char* kCodePageKey = "CodePage";

std::string HistoryKey(size_t i) {
  char key[8];
  std::snprintf(key, sizeof key, "%02zu", i);
  return key;
}

std::string RecentKey(size_t i) {
  return "CmbRecent" + std::to_string(i);
}

// The run options and pattern names in the order they are read and written. A
// numeric option has `number` set, a text option `text`.
struct OptionKey {
  const char* readKey;
  const char* writeKey;
  const char* defaultValue;
  int16_t RunOptions::*number;
  std::string RunOptions::*text;
};
constexpr OptionKey kOptionKeys[] = {
    {"CompMode", "CompMode", "0", &RunOptions::CompMode, nullptr},
    {"SelSts", "SelSts", "*.*", nullptr, &RunOptions::SelSts},
    {"FstChrBk", "FstChrBk", "", nullptr, &RunOptions::FstChrBk},
    {"LstChrBk", "LstChrBk", "_BK", nullptr, &RunOptions::LstChrBk},
    {"FstChr", "FstChr", "", nullptr, &RunOptions::FstChr},
    {"LstChr", "LstChr", "_SEL", nullptr, &RunOptions::LstChr},
    {"SelFile", "SelFile", "0", &RunOptions::SelFile, nullptr},
    {"SelAddSts", "SelAddSts", "0", &RunOptions::SelAddSts, nullptr},
    {"AddLineNo", "AddLineNo", "0", &RunOptions::AddLineNo, nullptr},
    // Read in mixed case, written in capitals: one entry, as names ignore case.
    {"BkupEdit", "BKUPEdit", "1", &RunOptions::BkupEdit, nullptr},
    {"UpdateNoFile", "UpdateNoFile", "1", &RunOptions::UpdateNoFile, nullptr},
    {"PtnName1", "PtnName1", "(No.1)", nullptr, &RunOptions::PtnName1},
    {"PtnName2", "PtnName2", "(No.2)", nullptr, &RunOptions::PtnName2},
    {"PtnName3", "PtnName3", "(No.3)", nullptr, &RunOptions::PtnName3},
};

// The code page the file is written in. Its name is plain ASCII, so any of the
// code pages reads it; a file without it was written in the default code page.
CodePageSetting StoredCodePage(const std::string& iniPath) {
  clsIniFile ini;
  ini.pFileName(iniPath);
  std::optional<CodePageSetting> cp = ParseCodePageSetting(ini.mGetString(kOption, kCodePageKey));
  return cp ? *cp : RunOptions{}.codePage;
}

void LoadGeometryValue(const clsIniFile& ini, const char* key, int& value) {
  std::optional<int16_t> n = TryReadInteger(ini.mGetString(kSettings, key, FormatInteger(value)));
  if (n) value = *n;
}

// A numeric option whose text is not a 16-bit number is left at 0, the value the
// options have before any setting is read.
void LoadOption(const clsIniFile& ini, const OptionKey& o, RunOptions& options) {
  std::string value = ini.mGetString(kOption, o.readKey, o.defaultValue);
  if (o.text != nullptr) {
    options.*o.text = std::move(value);
    return;
  }
  std::optional<int16_t> n = TryReadInteger(value);
  options.*o.number = n ? *n : 0;
}

}  // namespace

std::string IniFilePath(const std::string& programFolder) {
  return programFolder + "/" + kIniFileName;
}

ModeLoadResult LoadAppSettings(const std::string& iniPath, AppSettings& settings,
                               ModeSettings& modes) {
  RunOptions& options = settings.options;
  options.codePage = StoredCodePage(iniPath);
  clsIniFile ini(options.codePage);
  ini.pFileName(iniPath);

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

  for (const OptionKey& o : kOptionKeys) LoadOption(ini, o, options);
  for (size_t i = 0; i < settings.recent.size(); ++i) {
    settings.recent[i] = ini.mGetString(kOption, RecentKey(i));
  }
  return LoadModeSettings(ini, 0, modes);
}

void SaveAppSettings(const std::string& iniPath, const AppSettings& settings,
                     const ModeSettings& modes) {
  const RunOptions& options = settings.options;
  ReencodeIniFile(iniPath, StoredCodePage(iniPath), options.codePage);
  clsIniFile ini(options.codePage);
  ini.pFileName(iniPath);

  if (settings.windowIsNormal) {
    ini.mSetString(kSettings, "MainLeft", FormatInteger(settings.geometry.left));
    ini.mSetString(kSettings, "MainTop", FormatInteger(settings.geometry.top));
    ini.mSetString(kSettings, "MainWidth", FormatInteger(settings.geometry.width));
    ini.mSetString(kSettings, "MainHeight", FormatInteger(settings.geometry.height));
  }

  for (const OptionKey& o : kOptionKeys) {
    ini.mSetString(kOption, o.writeKey,
                   o.text != nullptr ? options.*o.text : FormatInteger(options.*o.number));
  }
  for (size_t i = 0; i < settings.recent.size(); ++i) {
    ini.mSetString(kOption, RecentKey(i), settings.recent[i]);
  }
  ini.mSetString(kOption, kCodePageKey, CodePageSettingName(options.codePage));

  SaveModeSettings(ini, 0, modes);

  for (size_t i = 0; i < settings.history.size() && i < kHistoryMax; ++i) {
    if (settings.history[i].empty()) break;
    ini.mSetString(kRecent, HistoryKey(i), settings.history[i]);
  }
}

}  // namespace kadrel
