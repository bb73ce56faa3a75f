#include "cli/run_options_source.h"

#include <cstdint>
#include <optional>

#include "core/conversions.h"
#include "core/text/case_fold.h"
#include "settings/app_settings.h"

namespace kadrel::cli {

namespace {

struct NumericKey {
  const char* key;
  int16_t RunOptions::*member;
};
struct TextKey {
  const char* key;
  std::string RunOptions::*member;
};

constexpr NumericKey kNumericKeys[] = {
    {"CompMode", &RunOptions::CompMode},   {"SelFile", &RunOptions::SelFile},
    {"SelAddSts", &RunOptions::SelAddSts}, {"AddLineNo", &RunOptions::AddLineNo},
    {"BkupEdit", &RunOptions::BkupEdit},   {"UpdateNoFile", &RunOptions::UpdateNoFile},
};
constexpr TextKey kTextKeys[] = {
    {"SelSts", &RunOptions::SelSts},     {"FstChrBk", &RunOptions::FstChrBk},
    {"LstChrBk", &RunOptions::LstChrBk}, {"FstChr", &RunOptions::FstChr},
    {"LstChr", &RunOptions::LstChr},
};

}  // namespace

RunOptions ReadRunOptions(const std::string& iniPath) {
  AppSettings settings;
  ModeSettings modes;
  LoadAppSettings(iniPath, settings, modes);
  return settings.options;
}

bool SetRunOption(RunOptions& options, const std::string& key, const std::string& value,
                  std::string& error) {
  const RunOptions defaults;
  for (const NumericKey& k : kNumericKeys) {
    if (!EqualsIgnoreCase(key, k.key)) continue;
    if (value.empty()) {
      options.*k.member = defaults.*k.member;
    } else {
      const std::optional<int16_t> n = TryReadInteger(value);
      options.*k.member = n ? *n : 0;
    }
    return true;
  }
  for (const TextKey& k : kTextKeys) {
    if (!EqualsIgnoreCase(key, k.key)) continue;
    options.*k.member = value.empty() ? defaults.*k.member : value;
    return true;
  }
  if (EqualsIgnoreCase(key, "CodePage")) {
    if (value.empty()) {
      options.codePage = defaults.codePage;
      return true;
    }
    const std::optional<CodePageSetting> cp = ParseCodePageSetting(value);
    if (!cp) {
      error = "unknown code page '" + value + "' (CP932, UTF-8, EUC-JP or auto)";
      return false;
    }
    options.codePage = *cp;
    return true;
  }
  error = "unknown option key '" + key + "'";
  return false;
}

}  // namespace kadrel::cli
