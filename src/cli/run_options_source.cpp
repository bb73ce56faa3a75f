#include "cli/run_options_source.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "combo/combo_loader.h"
#include "settings/app_settings.h"
#include "settings/option_checks.h"

namespace kadrel::cli {

namespace {

// The value between quotes, control bytes shown as \xNN so that a message never
// drives the terminal.
std::string Quoted(const std::string& value) {
  std::string out = "'";
  for (unsigned char c : value) {
    if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "'";
}

const char* const kAffixRule = "may not hold '/', '\\', '..' or control characters";

}  // namespace

bool SetRunOption(RunOptions& options, const std::string& key, const std::string& value,
                  std::string& error) {
  switch (SetRunOptionText(options, key, value)) {
    case OptionTextProblem::None:
      return true;
    case OptionTextProblem::UnknownKey:
      error = "unknown option key " + Quoted(key);
      break;
    case OptionTextProblem::NotAFlag:
      error = key + " takes 0 or 1, not " + Quoted(value);
      break;
    case OptionTextProblem::BlankPattern:
      error = key + " holds only blanks: give *.* for all files";
      break;
    case OptionTextProblem::AllFilesWithOthers:
      error = key + ": *.* (all files) admits no other pattern, not " + Quoted(value);
      break;
    case OptionTextProblem::UnusableAffix:
      error = key + " " + kAffixRule + ", not " + Quoted(value);
      break;
    case OptionTextProblem::UnknownCodePage:
      error = "unknown code page " + Quoted(value) + " (CP932, UTF-8 or EUC-JP)";
      break;
  }
  return false;
}

OptionsOutcome ReadRunOptions(
    const std::string& iniPath, bool named,
    const std::vector<std::pair<std::string, std::string>>& optionValues) {
  OptionsOutcome outcome;
  if (std::error_code ec; named && !std::filesystem::exists(iniPath, ec) && !ec) {
    outcome.usageError = "settings file " + Quoted(iniPath) + " not found";
    return outcome;
  }
  AppSettings settings;
  ModeSettings modes;
  const AppLoadResult loaded = LoadAppSettings(iniPath, settings, modes);
  if (!loaded.file.ok()) {
    outcome.box = FileOpenErrorBox(loaded.file, iniPath);
    return outcome;
  }
  if (!loaded.unusableAffixes.empty()) {
    outcome.usageError =
        loaded.unusableAffixes.front() + " in settings file " + Quoted(iniPath) + " " + kAffixRule;
    return outcome;
  }
  outcome.options = settings.options;
  for (const auto& [key, value] : optionValues) {
    if (!SetRunOption(outcome.options, key, value, outcome.usageError)) break;
  }
  return outcome;
}

}  // namespace kadrel::cli
