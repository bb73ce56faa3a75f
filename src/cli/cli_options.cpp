#include "cli/cli_options.h"

#include <algorithm>
#include <set>

#include "cli/command_line.h"
#include "cli/named_operation.h"
#include "cli/quoted_value.h"

namespace kadrel::cli {

namespace {

ParseOutcome Fail(std::string error) {
  ParseOutcome outcome;
  outcome.error = std::move(error);
  return outcome;
}

// Empty, or blanks only: such a name is a slip (an unset variable), and taken as a
// drop it would name the working folder.
bool IsBlank(const std::string& path) {
  return path.find_first_not_of(" \t\n\r\v\f") == std::string::npos;
}

// "A", "A か B", "A, B, C のどれか".
std::string OneOf(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += names.size() == 2 ? " か " : ", ";
    text += names[i];
  }
  return names.size() > 2 ? text + " のどれか" : text;
}

// "A と", "A か B と", "A, B, C のどれかと".
std::string WithOneOf(const std::vector<std::string>& names) {
  return OneOf(names) + (names.size() > 2 ? "と" : " と");
}

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) words.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

// Where an option may be given, as a refusal names it: "--list と".
std::string ScopeText(Scope scope) {
  std::vector<std::string> names;
  if ((scope & kInOperations) == kInOperations) {
    names.push_back("replace などの処理");
  } else {
    for (const OperationRow& op : Operations()) {
      if ((scope & op.scope) != 0) names.emplace_back(op.name);
    }
  }
  const std::pair<Scope, const char*> commands[] = {
      {kInStepLine, "-s"},         {kInComboFile, "-c"},           {kInList, "--list"},
      {kInDescribe, "--describe"}, {kInShowCombo, "--show-combo"}, {kInUndo, "--undo"}};
  for (const auto& [bit, name] : commands) {
    if ((scope & bit) != 0) names.emplace_back(name);
  }
  return WithOneOf(names);
}

Scope ScopeOfCommand(Command command) {
  switch (command) {
    case Command::RunStep:
      return kInStepLine;
    case Command::RunCombo:
      return kInComboFile;
    case Command::List:
      return kInList;
    case Command::Describe:
      return kInDescribe;
    case Command::ShowCombo:
      return kInShowCombo;
    case Command::Undo:
      return kInUndo;
    case Command::Help:
    case Command::Version:
      break;
  }
  return kAnywhere;
}

// A value of one of the option's choices, else the refusal.
std::string ChoiceRefusal(const OptionUse& use) {
  const std::vector<std::string> choices = Words(use.row->choices);
  if (std::find(choices.begin(), choices.end(), use.value) != choices.end()) return "";
  return NamedAsTyped(use) + " には " + OneOf(choices) + " を指定してください" +
         RefusedValue(use.value);
}

// What the options outside the operations give: the commands, the run options
// in their order, the switches.
struct OptionsRead {
  std::string error;
  std::set<Command> commands;
  bool help = false;
  bool version = false;
  Request request;
};

OptionsRead ReadOptions(const std::vector<OptionUse>& options) {
  OptionsRead read;
  Request& r = read.request;
  std::string includes;
  auto set = [&r](const char* key, std::string value, const OptionUse& use) {
    r.optionValues.push_back({key, std::move(value), use.typed});
  };
  for (const OptionUse& use : options) {
    if (!read.error.empty()) break;
    const std::string& value = use.value;
    switch (use.row->id) {
      case OptionId::Step:
        if (read.commands.contains(Command::RunStep))
          read.error = "-s/--step は一度だけ指定できます";
        read.commands.insert(Command::RunStep);
        r.stepLine = value;
        break;
      case OptionId::Combo:
        read.commands.insert(Command::RunCombo);
        r.comboFiles.push_back(value);
        break;
      case OptionId::List:
        read.commands.insert(Command::List);
        break;
      case OptionId::Describe:
        if (read.commands.contains(Command::Describe))
          read.error = "--describe は一度だけ指定できます";
        read.commands.insert(Command::Describe);
        r.stepLine = value;
        break;
      case OptionId::ShowCombo:
        read.commands.insert(Command::ShowCombo);
        r.comboFiles.push_back(value);
        break;
      case OptionId::Undo:
        read.commands.insert(Command::Undo);
        break;
      case OptionId::Help:
        read.help = true;
        break;
      case OptionId::Version:
        read.version = true;
        break;
      case OptionId::Ini:
        r.iniPath = value;
        if (IsBlank(value)) read.error = "--ini には設定ファイル名を指定してください";
        break;
      case OptionId::Option: {
        const size_t eq = value.find('=');
        if (eq == std::string::npos || eq == 0) {
          read.error = "-o/--option には KEY=VALUE の形で指定してください" + RefusedValue(value);
        } else {
          r.optionValues.push_back(
              {value.substr(0, eq), value.substr(eq + 1), value.substr(0, eq)});
        }
        break;
      }
      case OptionId::Answer:
        read.error = ChoiceRefusal(use);
        r.problemAnswer = value == "ok" ? BoxAnswer::Ok : BoxAnswer::Cancel;
        break;
      case OptionId::Color:
        read.error = ChoiceRefusal(use);
        r.color = value == "always"  ? ColorWhen::Always
                  : value == "never" ? ColorWhen::Never
                                     : ColorWhen::Auto;
        break;
      case OptionId::Files0From:
        r.files0From = value;
        if (value.empty()) read.error = "--files0-from にはファイル名を指定してください";
        break;
      case OptionId::Quiet:
        r.quiet = true;
        break;
      case OptionId::Null:
        r.nullSeparated = true;
        break;
      case OptionId::DryRun:
        r.dryRun = true;
        break;
      case OptionId::Jobs: {
        const bool digits =
            !value.empty() && value.size() <= 2 &&
            std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
        const int n = digits ? std::stoi(value) : 0;
        if (n < 1 || n > 64) {
          read.error = NamedAsTyped(use) + " には 1 から 64 までの数を指定してください" +
                       RefusedValue(value);
        }
        r.jobs = static_cast<size_t>(std::max(n, 0));
        break;
      }
      case OptionId::IgnoreCase:
        set("CompMode", "0", use);
        break;
      case OptionId::Include:
        includes += (includes.empty() ? "" : ";") + value;
        set("SelSts", includes, use);
        break;
      case OptionId::NoBackup:
        set("BkupEdit", "0", use);
        break;
      case OptionId::NoUndo:
        set("UndoJournal", "0", use);
        break;
      case OptionId::BackupSuffix:
        set("LstChrBk", value, use);
        break;
      case OptionId::Encoding:
        set("CodePage", value, use);
        break;
      case OptionId::LineNumbers:
        set("AddLineNo", "1", use);
        break;
      case OptionId::NoHeader:
        set("SelAddSts", "1", use);
        break;
      default:  // an operation's own option: read with the operation
        break;
    }
  }
  return read;
}

// The named operation at the head of the operands (or named by --describe), read
// with its options and arguments into r.
std::string ReadOperation(const OperationRow& op, const Arguments& a, bool describing, Request& r) {
  OperationInput input;
  input.operation = op.operation;
  input.options = &a.options;
  input.operands.assign(a.operands.begin() + (describing ? 0 : 1), a.operands.end());
  if (a.operandsBeforeSeparator) {
    const size_t skipped = describing ? 0 : 1;
    if (*a.operandsBeforeSeparator > skipped)
      input.operandsBeforeSeparator = *a.operandsBeforeSeparator - skipped;
  }
  OperationOutcome built = BuildOperation(input);
  if (!built.error.empty()) return built.error;
  r.operation = op.operation;
  r.paths = std::move(built.paths);
  if (op.operation == Operation::Combo) {
    r.command = describing ? Command::ShowCombo : Command::RunCombo;
    r.comboFiles = std::move(built.comboFiles);
  } else {
    r.command = describing ? Command::Describe : Command::RunStep;
    r.page = std::move(built.page);
  }
  // The operations tell upper and lower case apart unless -i says otherwise.
  r.optionValues.insert(r.optionValues.begin(), {"CompMode", "1", "CompMode"});
  return "";
}

std::string OperationNames() {
  std::string names;
  for (const OperationRow& op : Operations()) names += std::string(op.name) + ", ";
  return names;
}

// The checks of the PATHs and of what may go with what, once the command is known.
std::string CheckRequest(Request& r) {
  for (const std::string& path : r.paths) {
    if (IsBlank(path))
      return "空または空白だけの PATH は指定できません（このフォルダーは . で指定してください）";
  }
  for (const std::string& path : r.comboFiles) {
    if (IsBlank(path)) return "空または空白だけの COMBO!! ファイル名は指定できません";
  }
  switch (r.command) {
    case Command::ShowCombo:  // the further names are COMBO!! files too
      r.comboFiles.insert(r.comboFiles.end(), r.paths.begin(), r.paths.end());
      r.paths.clear();
      break;
    case Command::Describe:
      if (!r.paths.empty()) return "--describe には PATH を指定できません";
      break;
    case Command::Undo:
      if (!r.paths.empty())
        return "--undo には PATH を指定できません（直前の処理のファイルを元に戻します）";
      break;
    default:  // no PATH: the run's own check reports that no file is listed
      break;
  }
  if (!r.files0From.empty() && !r.paths.empty())
    return "--files0-from と一緒には PATH を指定できません（PATH は " + ShownText(r.files0From) +
           " に並べてください）";
  const bool stdinPath = std::find(r.paths.begin(), r.paths.end(), "-") != r.paths.end();
  if (stdinPath && (r.command != Command::RunStep || r.paths.size() != 1))
    return "-（標準入力）は -s か一つのステップの処理（replace など）と一緒に、ただ一つの PATH "
           "としてだけ指定できます";
  if (stdinPath && r.dryRun)
    return "-n/--dry-run は -（標準入力）と一緒には指定できません（- は何も書き換えません）";
  return "";
}

}  // namespace

ParseOutcome ParseCommandLine(int argc, char* const argv[]) {
  const SplitOutcome split = SplitArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!split.error.empty()) return Fail(split.error);
  const Arguments& a = split.arguments;

  OptionsRead read = ReadOptions(a.options);
  if (!read.error.empty()) return Fail(read.error);
  Request& r = read.request;
  ParseOutcome outcome;
  outcome.ok = true;
  if (read.help || read.version) {
    outcome.request.command = read.help ? Command::Help : Command::Version;
    return outcome;
  }

  Scope scope = kAnywhere;
  const OperationRow* op = nullptr;
  if (read.commands.empty()) {
    op = a.operands.empty() ? nullptr : FindOperation(a.operands.front());
    if (op == nullptr)
      return Fail("処理を指定してください（" + OperationNames() +
                  "-s, -c, --list, --describe, --show-combo, --undo のどれか）");
    scope = op->scope;
  } else if (read.commands.size() != 1) {
    return Fail(
        "-s, -c, --list, --describe, --show-combo, --undo はどれか一つだけ指定してください");
  } else {
    r.command = *read.commands.begin();
    scope = ScopeOfCommand(r.command);
    if (r.command == Command::Describe) {
      op = FindOperation(r.stepLine);
      if (op != nullptr) scope |= op->scope;
    }
  }
  for (const OptionUse& use : a.options) {
    if ((use.row->scope & scope) == 0)
      return Fail("オプション " + NamedAsTyped(use) + " は " + ScopeText(use.row->scope) +
                  "一緒にだけ指定できます");
  }
  if (op != nullptr) {
    const bool describing = !read.commands.empty();
    if (std::string error = ReadOperation(*op, a, describing, r); !error.empty())
      return Fail(error);
    if (describing && op->operation == Operation::Combo) {
      r.comboFiles.insert(r.comboFiles.end(), r.paths.begin(), r.paths.end());
      r.paths.clear();
    }
  } else {
    r.paths = a.operands;
  }
  if (std::string error = CheckRequest(r); !error.empty()) return Fail(error);
  outcome.request = std::move(r);
  return outcome;
}

std::string VersionText() {
  return "kadrel-cli " + std::to_string(KADREL_VERSION_MAJOR) + "." +
         std::to_string(KADREL_VERSION_MINOR) + "." + std::to_string(KADREL_VERSION_PATCH) + "\n";
}

}  // namespace kadrel::cli
