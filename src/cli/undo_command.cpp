#include <atomic>
#include <cerrno>
#include <filesystem>

#include "cli/cancel_signals.h"
#include "cli/commands.h"
#include "core/program_folder.h"
#include "run/undo/journal_folder.h"
#include "run/undo/undo_run.h"

namespace kadrel::cli {

std::string UndoFolder(const Request& request) {
  if (request.iniPath.empty()) return UndoFolderOf(ProgramFolder());
  // Beside the settings named on the command line: runs made with them are
  // taken back with them.
  const std::filesystem::path folder = std::filesystem::absolute(request.iniPath).parent_path();
  return UndoFolderOf(folder.string());
}

int UndoCommand(const Request& request, CliHost& host) {
  std::atomic<bool> cancel{false};
  FileStatus journal;
  UndoOutcome outcome;
  {
    const CancelOnSignals interruptions(cancel);
    outcome = UndoLastRun(SystemFileLayer(), UndoFolder(request), cancel, journal);
  }
  if (!journal.ok()) {
    host.showMessage(UndoRefusalBox(journal));
    return kExitNothingRun;
  }
  const MessageBoxRequest box = UndoOutcomeBox(outcome);
  if (box.icon == BoxIcon::Information && !outcome.cancelled) {
    // Everything given back: a line, not a box.
    if (!request.quiet) std::fprintf(stderr, "%s\n", ToLineFeeds(box.text).c_str());
    return kExitClean;
  }
  host.showMessage(box);
  return outcome.cancelled || CancelSignalReceived() ? kExitInterrupted : kExitWithBoxes;
}

}  // namespace kadrel::cli
