#include "cli/run_options_source.h"

#include <filesystem>
#include <system_error>

#include "cli/quoted_value.h"
#include "combo/combo_loader.h"
#include "settings/app_settings.h"
#include "settings/option_checks.h"

namespace kadrel::cli {

namespace {

const char* const kAffixRule = " に「/」「\\」「..」や制御文字は指定できません";

}  // namespace

bool SetRunOption(RunOptions& options, const std::string& key, const std::string& value,
                  std::string& error) {
  switch (SetRunOptionText(options, key, value)) {
    case OptionTextProblem::None:
      return true;
    case OptionTextProblem::UnknownKey:
      error = QuotedValue(key) + "というオプションのキーはありません";
      break;
    case OptionTextProblem::NotAFlag:
      error = ShownText(key) + " には 0 か 1 を指定してください" + RefusedValue(value);
      break;
    case OptionTextProblem::BlankPattern:
      error = ShownText(key) + " が空白だけです（全てのファイルは *.* で指定してください）";
      break;
    case OptionTextProblem::AllFilesWithOthers:
      error = ShownText(key) + ": 「全てのファイル(*.*)」の場合、他の指定はできません" +
              RefusedValue(value);
      break;
    case OptionTextProblem::UnusableAffix:
      error = ShownText(key) + kAffixRule + RefusedValue(value);
      break;
    case OptionTextProblem::UnknownCodePage:
      error = ShownText(key) + " には CP932, UTF-8, EUC-JP, auto のどれかを指定してください" +
              RefusedValue(value);
      break;
  }
  return false;
}

OptionsOutcome ReadRunOptions(
    const std::string& iniPath, bool named,
    const std::vector<std::pair<std::string, std::string>>& optionValues) {
  OptionsOutcome outcome;
  if (std::error_code ec; named && !std::filesystem::exists(iniPath, ec) && !ec) {
    outcome.usageError = "設定ファイル" + QuotedValue(iniPath) + "が見つかりません";
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
        "設定ファイル" + QuotedValue(iniPath) + "の " + loaded.unusableAffixes.front() + kAffixRule;
    return outcome;
  }
  outcome.options = settings.options;
  for (const auto& [key, value] : optionValues) {
    if (!SetRunOption(outcome.options, key, value, outcome.usageError)) break;
  }
  return outcome;
}

}  // namespace kadrel::cli
