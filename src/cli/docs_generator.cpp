#include "cli/docs_generator.h"

#include <cctype>

#include "cli/help_layout.h"
#include "cli/option_table.h"
#include "settings/option_keys.h"

namespace kadrel::cli {

namespace {

// Text as roff prints it: backslashes and hyphens escaped, a leading dot or quote
// kept from being read as a request.
std::string Roff(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  if (!out.empty() && (out.front() == '.' || out.front() == '\'')) out.insert(0, "\\&");
  return out;
}

std::string Bold(std::string_view text) {
  return "\\fB" + Roff(text) + "\\fR";
}

bool IsPlaceholder(std::string_view word) {
  bool upper = false;
  for (char c : word) {
    if (std::islower(static_cast<unsigned char>(c))) return false;
    upper = upper || std::isupper(static_cast<unsigned char>(c));
  }
  return upper;
}

// "FROM TO PATH..." with the placeholders in italics.
std::string RoffSynopsis(std::string_view form) {
  std::string out;
  size_t start = 0;
  while (start <= form.size()) {
    size_t end = form.find(' ', start);
    if (end == std::string_view::npos) end = form.size();
    std::string_view word = form.substr(start, end - start);
    if (!out.empty()) out += ' ';
    const size_t dots = word.ends_with("...") ? 3 : 0;
    const std::string_view core = word.substr(0, word.size() - dots);
    out += IsPlaceholder(core) ? "\\fI" + Roff(core) + "\\fR" + std::string(dots, '.') : Roff(word);
    start = end + 1;
  }
  return out;
}

std::string OptionTerm(const OptionRow& row) {
  std::string term;
  if (row.shortName != '\0') term += Bold(std::string("-") + row.shortName) + ", ";
  term += Bold("--" + std::string(row.longName));
  if (row.takesValue()) term += " \\fI" + Roff(row.valueName) + "\\fR";
  return term;
}

std::string Synopsis() {
  std::string out;
  for (const OperationRow& op : Operations()) {
    for (const std::string& form : SynopsisForms(op)) {
      const size_t space = form.find(' ');
      out += Bold("kadrel-cli " + form.substr(0, space)) + " [\\fIOPTION\\fR]... " +
             RoffSynopsis(form.substr(space + 1)) + "\n.br\n";
    }
  }
  return out;
}

std::string OperationsSection() {
  std::string out;
  for (const OperationRow& op : Operations()) {
    out += ".TP\n";
    const std::vector<std::string> forms = SynopsisForms(op);
    for (size_t i = 0; i < forms.size(); ++i) {
      const size_t space = forms[i].find(' ');
      if (i > 0) out += ".TQ\n";
      out +=
          Bold(forms[i].substr(0, space)) + " " + RoffSynopsis(forms[i].substr(space + 1)) + "\n";
    }
    out += Roff(op.help) + ".\n";
  }
  return out;
}

std::string OptionsSection() {
  std::string out;
  for (OptionGroup group : kGroupsInOrder) {
    out += ".SS " + Roff(OptionGroupTitle(group)) + "\n";
    for (const OptionRow& row : Options()) {
      if (row.group != group) continue;
      out += ".TP\n" + OptionTerm(row) + "\n" + Roff(row.help) + ".\n";
    }
  }
  return out;
}

std::string ExamplesSection() {
  std::string out;
  for (const Example& example : Examples()) {
    out += ".TP\n" + Bold(example.command) + "\n" + Roff(example.effect) + ".\n";
  }
  return out;
}

void ReplaceAll(std::string& text, std::string_view mark, const std::string& by) {
  for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size()))
    text.replace(at, mark.size(), by);
}

std::string Version() {
  return std::to_string(KADREL_VERSION_MAJOR) + "." + std::to_string(KADREL_VERSION_MINOR) + "." +
         std::to_string(KADREL_VERSION_PATCH);
}

// Options an operation goes with: its own, those of every run, --help and
// --version; without an operation, all but the operations' own.
bool Offered(const OptionRow& row, const OperationRow* op) {
  if (op == nullptr) return (row.scope & ~kInOperations) != 0;
  if (row.id == OptionId::Help || row.id == OptionId::Version) return true;
  return (row.scope & op->scope) != 0 && row.group != OptionGroup::StepLines &&
         row.group != OptionGroup::Commands;
}

std::string OptionWords(const OperationRow* op) {
  std::string words;
  for (const OptionRow& row : Options()) {
    if (!Offered(row, op)) continue;
    if (row.shortName != '\0') words += std::string(words.empty() ? "" : " ") + "-" + row.shortName;
    words += std::string(words.empty() ? "" : " ") + "--" + std::string(row.longName);
  }
  return words;
}

// "-s | --step | ..." of the options that match.
template <typename Match>
std::string CasePattern(Match match) {
  std::string pattern;
  for (const OptionRow& row : Options()) {
    if (!match(row)) continue;
    if (row.shortName != '\0')
      pattern += std::string(pattern.empty() ? "" : " | ") + "-" + row.shortName;
    pattern += std::string(pattern.empty() ? "" : " | ") + "--" + std::string(row.longName);
  }
  return pattern;
}

constexpr std::string_view kCompletionLogic = R"BASH(
_kadrel_cli_is_option() { [[ $1 == -o || $1 == --option ]]; }

# Completes the value of option $1 from $2.
_kadrel_cli_complete_value() {
  local values
  values=$(_kadrel_cli_option_values "$1")
  if [[ $values == FILE ]]; then
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$2")
  elif [[ -n $values ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$values" -- "$2")
  fi
}

_kadrel_cli() {
  local cur prev
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()

  if _kadrel_cli_is_option "$prev"; then
    if [[ $cur == *=* ]]; then # "=" is no word break here
      mapfile -t COMPREPLY < <(compgen -P "${cur%%=*}=" -W "$(_kadrel_cli_key_values "${cur%%=*}")" \
        -- "${cur#*=}")
    else
      compopt -o nospace 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -S "=" -W "$_kadrel_cli_keys" -- "$cur")
    fi
    return
  fi

  # Readline breaks words at "=": "--color=al" arrives as "--color" "=" "al", and
  # "-o CodePage=U" as "-o" "CodePage" "=" "U"; only the part after "=" is completed.
  local key="" option=""
  if [[ $cur == "=" && $COMP_CWORD -ge 2 ]]; then
    if _kadrel_cli_is_option "${COMP_WORDS[COMP_CWORD - 2]}"; then key=$prev; else option=$prev; fi
    cur=""
  elif [[ $prev == "=" && $COMP_CWORD -ge 2 ]]; then
    if [[ $COMP_CWORD -ge 3 ]] && _kadrel_cli_is_option "${COMP_WORDS[COMP_CWORD - 3]}"; then
      key=${COMP_WORDS[COMP_CWORD - 2]}
    else
      option=${COMP_WORDS[COMP_CWORD - 2]}
    fi
  fi
  if [[ -n $key ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$(_kadrel_cli_key_values "$key")" -- "$cur")
    return
  fi
  if [[ -n $option ]]; then
    _kadrel_cli_complete_value "$option" "$cur"
    return
  fi
  if _kadrel_cli_takes_value "$prev"; then
    _kadrel_cli_complete_value "$prev" "$cur"
    return
  fi

  # The operation (the first operand, or the value of --describe) or the command given so far.
  local i word operation="" command="" value_of=""
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ -n $value_of ]]; then
      [[ $word == "=" ]] && continue
      [[ $value_of == --describe && " $_kadrel_cli_operations " == *" $word "* ]] && operation=$word
      value_of=""
      continue
    fi
    [[ $word == -- ]] && break
    [[ $word == "=" ]] && { value_of="="; continue; }
    _kadrel_cli_is_command "$word" && command=$word
    if _kadrel_cli_takes_value "$word"; then
      value_of=$word
      continue
    fi
    [[ $word == -* ]] && continue
    if [[ -z $command && -z $operation ]]; then
      operation=$word
      break
    fi
  done

  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$(_kadrel_cli_options "$operation")" -- "$cur")
    return
  fi
  if [[ -z $command && -z $operation ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$_kadrel_cli_operations" -- "$cur")
    return
  fi
  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  [[ $cur == "" || $cur == "-" ]] && COMPREPLY+=("-") # standard input
}

complete -F _kadrel_cli kadrel-cli
)BASH";

}  // namespace

std::string ManualPage(const std::string& manualTemplate) {
  std::string page = manualTemplate;
  ReplaceAll(page, "@VERSION@", Version());
  ReplaceAll(page, "@SYNOPSIS@\n", Synopsis());
  ReplaceAll(page, "@OPERATIONS@\n", OperationsSection());
  ReplaceAll(page, "@OPTIONS@\n", OptionsSection());
  ReplaceAll(page, "@EXAMPLES@\n", ExamplesSection());
  return page;
}

std::string BashCompletion() {
  std::string operations;
  for (const OperationRow& op : Operations())
    operations += std::string(operations.empty() ? "" : " ") + std::string(op.name);
  std::string keys, flagKeys;
  for (const OptionKey& key : kOptionKeys) {
    if (key.kind == OptionKind::PatternName) continue;
    keys += std::string(keys.empty() ? "" : " ") + key.readKey;
    if (key.kind == OptionKind::Flag) {
      std::string lower = key.readKey;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      flagKeys += std::string(flagKeys.empty() ? "" : " | ") + lower;
    }
  }
  const std::string codePages(RowOf(OptionId::Encoding).choices);

  std::string out =
      "# bash completion for kadrel-cli, written from its option table by kadrel-cli-docs:\n"
      "# operations, options (an operation's own after it), their values, the run option\n"
      "# keys of -o and their values, and file names elsewhere.\n\n";
  out += "_kadrel_cli_operations=\"" + operations + "\"\n";
  out += "_kadrel_cli_keys=\"" + keys + " " + kCodePageKey + "\"\n\n";

  out += "_kadrel_cli_takes_value() {\n  case $1 in\n    " +
         CasePattern([](const OptionRow& s) { return s.takesValue(); }) +
         ") return 0 ;;\n  esac\n  return 1\n}\n\n";
  out += "_kadrel_cli_is_command() {\n  case $1 in\n    " + CasePattern([](const OptionRow& s) {
           return s.group == OptionGroup::StepLines ||
                  (s.group == OptionGroup::Commands && s.id != OptionId::Null &&
                   s.id != OptionId::Help && s.id != OptionId::Version);
         }) +
         ") return 0 ;;\n  esac\n  return 1\n}\n\n";

  out += "# The options offered after operation $1, or without one.\n";
  out += "_kadrel_cli_options() {\n  case $1 in\n";
  for (const OperationRow& op : Operations())
    out += "    " + std::string(op.name) + ") echo \"" + OptionWords(&op) + "\" ;;\n";
  out += "    *) echo \"" + OptionWords(nullptr) + "\" ;;\n  esac\n}\n\n";

  out += "# The values an option takes where they are few; FILE: a file name.\n";
  out += "_kadrel_cli_option_values() {\n  case $1 in\n";
  for (const OptionRow& row : Options()) {
    std::string values;
    if (row.valueKind == ValueKind::Choice) values = std::string(row.choices);
    if (row.valueKind == ValueKind::File) values = "FILE";
    if (row.id == OptionId::Describe) values = "$_kadrel_cli_operations";
    if (values.empty()) continue;
    out += "    " + CasePattern([&row](const OptionRow& s) { return s.id == row.id; }) +
           ") echo \"" + values + "\" ;;\n";
  }
  out += "  esac\n}\n\n";

  out += "# The values a run option key of -o takes, where they are few.\n";
  out += "_kadrel_cli_key_values() {\n  case ${1,,} in\n";
  out += "    codepage) echo \"" + codePages + "\" ;;\n";
  out += "    " + flagKeys + ") echo \"0 1\" ;;\n  esac\n}\n";
  out += kCompletionLogic;
  return out;
}

}  // namespace kadrel::cli
