#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/cancel_signals.h"
#include "cli/commands.h"
#include "cli/diff_printer.h"
#include "cli/targets.h"
#include "cli/terminal.h"
#include "combo/combo_loader.h"
#include "core/program_folder.h"
#include "io/file_layer.h"
#include "run/ordered_work.h"
#include "run/prepare_run.h"
#include "run/preview/preview_files.h"
#include "run/run_driver.h"
#include "run/undo/journalled_files.h"

namespace kadrel::cli {

namespace {

// The COMBO!! files, loaded in order like a drop of several files on the COMBO!!
// field. True when every file was read to its end (or up to the step limit): a
// file that did not open, a cancelled problem box or a loading failure leaves
// the step list other than the files say, and an unattended run must not start
// on it.
bool LoadComboFilesWhole(Host& host, const std::vector<std::string>& paths,
                         const RunOptions& options, ComboModel& model) {
  bool whole = true;
  for (const std::string& path : paths) {
    const ComboLoadResult r = LoadComboFile(host, SystemFileLayer(), options.codePage, path, model);
    if (r == ComboLoadResult::Loaded || r == ComboLoadResult::LimitReached) continue;
    whole = false;
    if (r == ComboLoadResult::Failed) break;  // the loading ends with the text emptied
  }
  return whole;
}

}  // namespace

int RunCommand(const Request& request, const RunOptions& options, CliHost& host) {
  // "-": standard input is the one target, standard output its outcome.
  const bool streams = request.paths.size() == 1 && request.paths.front() == "-";
  TargetListResult list;
  if (streams) {
    list.paths = request.paths;
  } else {
    list = ListTargets(request.paths, options, host.display(), stderr);
  }
  RunRequest run;
  run.options = options;
  // A preview shows its files as it reaches them, one after another.
  run.workers = request.dryRun || streams ? 1
                : request.jobs > 0        ? request.jobs
                                          : WorkersOfMachine();
  run.listEntries = list.paths;
  run.listScanRoots = list.scanRoots;
  run.page = request.page;
  run.listDroppedFolders = list.droppedFolders;
  run.stepLine = request.stepLine;
  if (request.command == Command::RunCombo) {
    ComboModel combo;
    run.combo = true;
    run.stepListComplete = LoadComboFilesWhole(host, request.comboFiles, options, combo);
    run.comboSteps = combo.steps;
    // Comment headings alone are no step list: START sees no COMBO!! text then.
    if (!combo.steps.empty()) run.comboText = combo.text;
  }

  // A dry run: the same run over a file layer that writes nothing, its changes
  // printed as a unified diff.
  DiffPrinter printer(stdout, StandardOutputIsTerminal() ? Controls::Visible : Controls::AsTheyAre,
                      DiffColorsFor(request.color), host.display(),
                      [&host] { host.endProgress(); });
  std::optional<PreviewFiles> preview;
  if (request.dryRun) preview.emplace(SystemFileLayer(), printer, options.codePage);
  // A real run keeps the files it replaces, for --undo, unless told not to.
  JournalWriter journal(
      SystemFileLayer(), UndoFolder(request), host,
      options.UndoJournal != 0 ? JournalWriter::Mode::Keep : JournalWriter::Mode::Off);
  JournalledFiles journalled(SystemFileLayer(), journal);
  PreparedRun prepared =
      PrepareRun(host, preview ? static_cast<FileLayer&>(*preview) : journalled, run);
  if (!prepared.ready) return kExitNothingRun;
  RunContext& ctx = *prepared.context;
  // What the run does, for the question of an undo (kadrel-cli's or the window's).
  journal.describe(JournalDescription(ctx, run.comboText));
  journal.setDrop(DropFoldersOf(ctx));
  // Boxes before the run (a step list or step answered with OK) count as well.
  const bool toldBefore = host.boxCount() > 0;
  RunReport report;
  {
    const CancelOnSignals interruptions(ctx.CancelFlag);
    report = streams ? RunOnStreams(ctx, StandardInput(), StandardOutput()) : RunAll(ctx);
    journal.finish();
    host.endProgress();
  }
  journal.addTo(report);
  if (!request.quiet && !journal.notice().empty())
    std::fprintf(stderr, "%s\n", journal.notice().c_str());
  if (!request.quiet && !streams) host.summary(report.summary());

  if (CancelSignalReceived()) return kExitInterrupted;
  return !report.clean() || toldBefore || list.leftOut() || !printer.ok() ? kExitWithBoxes
                                                                          : kExitClean;
}

}  // namespace kadrel::cli
