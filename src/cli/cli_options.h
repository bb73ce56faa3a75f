// The command line of kadrel-cli, read into a plain request: the arguments are
// split by the option table (command_line.h), then checked and interpreted here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/option_table.h"
#include "core/host.h"
#include "run/step_from_page.h"

namespace kadrel::cli {

enum class Command {
  RunStep,    // -s LINE or a named operation: a plain run
  RunCombo,   // -c FILE... or combo: a COMBO!! run
  List,       // --list
  Describe,   // --describe LINE or --describe OPERATION ...
  ShowCombo,  // --show-combo FILE... or --describe combo FILE...
  Undo,       // --undo: take back the last run
  Help,
  Version,
};

enum class ColorWhen { Auto, Always, Never };

// One run option for this run: a settings key and its text, with the option that
// set it as refusals name it (-o CodePage=x: "CodePage"; --encoding x: "--encoding").
struct OptionValue {
  std::string key;
  std::string value;
  std::string shownAs;
  bool operator==(const OptionValue&) const = default;
};

struct Request {
  Command command = Command::Help;
  Operation operation = Operation::None;  // the named operation given, if any
  std::string stepLine;                   // -s, --describe LINE
  // The step of a named operation (every one but combo), as the window's mode
  // page would hold it.
  std::optional<PageValues> page;
  std::vector<std::string> comboFiles;          // -c, --show-combo, combo, in order
  std::string iniPath;                          // --ini; empty: Kadrel.ini in the program's folder
  std::vector<OptionValue> optionValues;        // in the order they apply
  BoxAnswer problemAnswer = BoxAnswer::Cancel;  // --answer
  bool quiet = false;
  bool nullSeparated = false;  // --list -0: names end with NUL
  bool dryRun = false;         // -n: previewed, nothing written
  size_t jobs = 0;             // -j: files prepared at once; 0: one per core
  ColorWhen color = ColorWhen::Auto;
  std::string files0From;          // --files0-from: a file of NUL-ended PATHs ("-": stdin)
  std::vector<std::string> paths;  // PATH...
};

struct ParseOutcome {
  bool ok = false;
  std::string error;  // the usage error when not ok
  Request request;
};

// Reads the arguments (UTF-8). Exactly one of a named operation, -s, -c, --list,
// --describe, --show-combo, --undo (or --help / --version) must be given.
ParseOutcome ParseCommandLine(int argc, char* const argv[]);

std::string HelpText();
std::string VersionText();

}  // namespace kadrel::cli
