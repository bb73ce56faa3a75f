// The command line of kadrel-cli, read into a plain request.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/host.h"

namespace kadrel::cli {

enum class Command {
  RunStep,    // -s LINE: a plain run
  RunCombo,   // -c FILE...: a COMBO!! run
  List,       // --list
  Describe,   // --describe LINE
  ShowCombo,  // --show-combo FILE...
  Undo,       // --undo: take back the last run
  Help,
  Version,
};

struct Request {
  Command command = Command::Help;
  std::string stepLine;                 // -s, --describe
  std::vector<std::string> comboFiles;  // -c, --show-combo, in order
  std::string iniPath;                  // --ini; empty: Kadrel.ini in the program's folder
  std::vector<std::pair<std::string, std::string>> optionValues;  // -o KEY=VALUE, in order
  BoxAnswer problemAnswer = BoxAnswer::Cancel;                    // --answer
  bool quiet = false;
  bool nullSeparated = false;      // --list -0: names end with NUL
  bool dryRun = false;             // -n: -s or -c previewed, nothing written
  std::vector<std::string> paths;  // PATH...
};

struct ParseOutcome {
  bool ok = false;
  std::string error;  // the usage error when not ok
  Request request;
};

// Reads the arguments (UTF-8). Exactly one of -s, -c, --list, --describe,
// --show-combo, --undo (or --help / --version) must be given.
ParseOutcome ParseCommandLine(int argc, char* const argv[]);

std::string HelpText();
std::string VersionText();

}  // namespace kadrel::cli
