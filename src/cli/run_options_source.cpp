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

bool SetRunOption(RunOptions& options, const OptionValue& given, std::string& error) {
  const std::string& value = given.value;
  const std::string name = ShownText(given.shownAs);
  switch (SetRunOptionText(options, given.key, value)) {
    case OptionTextProblem::None:
      return true;
    case OptionTextProblem::UnknownKey:
      error = QuotedValue(given.key) + "というオプションのキーはありません";
      break;
    case OptionTextProblem::NotAFlag:
      error = name + " には 0 か 1 を指定してください" + RefusedValue(value);
      break;
    case OptionTextProblem::BlankPattern:
      error = name + " が空白だけです（全てのファイルは *.* で指定してください）";
      break;
    case OptionTextProblem::AllFilesWithOthers:
      error = name + ": 「全てのファイル(*.*)」の場合、他の指定はできません" + RefusedValue(value);
      break;
    case OptionTextProblem::UnusableAffix:
      error = name + kAffixRule + RefusedValue(value);
      break;
    case OptionTextProblem::UnknownCodePage:
      error = name + " には CP932, UTF-8, EUC-JP, auto のどれかを指定してください" +
              RefusedValue(value);
      break;
  }
  return false;
}

OptionsOutcome ReadRunOptions(const std::string& iniPath, bool named,
                              const std::vector<OptionValue>& optionValues) {
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
  for (const OptionValue& given : optionValues) {
    if (!SetRunOption(outcome.options, given, outcome.usageError)) break;
  }
  return outcome;
}

}  // namespace kadrel::cli
