// kadrel-cli: runs a named operation, a step line or COMBO!! files over files and
// folders with the same core as the window.
#include <cstdio>

#include "cli/cli_host.h"
#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/run_options_source.h"
#include "cli/targets.h"
#include "cli/terminal.h"
#include "core/program_folder.h"
#include "io/file_layer.h"
#include "io/line_io.h"
#include "settings/app_settings.h"

namespace {

int UsageError(const std::string& message) {
  std::fprintf(stderr, "kadrel-cli: %s\n使い方は kadrel-cli --help で表示します。\n",
               message.c_str());
  return kadrel::cli::kExitNothingRun;
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace kadrel;
  using namespace kadrel::cli;
  KeepLineBuffersOnTheHeap();

  RaiseOpenFileLimit();  // every dropped folder stays open during its run
  ParseOutcome parsed = ParseCommandLine(argc, argv);
  if (!parsed.ok) return UsageError(parsed.error);
  Request& request = parsed.request;
  if (request.command == Command::Help) {
    std::fputs(HelpText().c_str(), stdout);
    return kExitClean;
  }
  if (request.command == Command::Version) {
    std::fputs(VersionText().c_str(), stdout);
    return kExitClean;
  }
  if (!request.files0From.empty()) {
    std::string error;
    if (!ReadPathList(request.files0From, request.paths, error)) return UsageError(error);
  }

  const bool namedIni = !request.iniPath.empty();
  const OptionsOutcome read = ReadRunOptions(
      namedIni ? request.iniPath : IniFilePath(ProgramFolder()), namedIni, request.optionValues);
  if (read.box) {
    std::fputs(FormatBoxBlock(*read.box).c_str(), stderr);
    return kExitNothingRun;
  }
  if (!read.ok()) return UsageError(read.usageError);
  const RunOptions& options = read.options;

  CliHost host(stderr, request.problemAnswer, ShowsProgress(request), !request.quiet,
               PathDisplay(request.paths, WorkingFolder()));
  int status = kExitNothingRun;
  switch (request.command) {
    case Command::RunStep:
    case Command::RunCombo:
      status = RunCommand(request, options, host);
      break;
    case Command::List:
      status = ListCommand(request, options, host, stdout);
      break;
    case Command::Describe:
      status = DescribeCommand(request, options, host, stdout);
      break;
    case Command::ShowCombo:
      status = ShowComboCommand(request, options, host, stdout);
      break;
    case Command::Undo:
      status = UndoCommand(request, host);
      break;
    case Command::Help:
    case Command::Version:
      break;
  }
  if (std::fflush(stdout) != 0 && status == kExitClean) status = kExitWithBoxes;
  return status;
}
