#include <string>

#include "cli/cancel_signals.h"
#include "cli/commands.h"
#include "cli/targets.h"
#include "combo/combo_loader.h"
#include "combo/step_from_page.h"
#include "combo/step_line.h"
#include "combo/step_validation.h"
#include "core/file_layer.h"
#include "core/program_folder.h"
#include "core/run_context.h"
#include "core/run_driver.h"
#include "core/start_checks.h"

namespace kadrel::cli {

namespace {

void ShowStartBox(Host& host, const std::string& text) {
  MessageBoxRequest box;
  box.text = text;
  host.showMessage(box);
}

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
  const TargetListResult list = ListTargets(request.paths, options, stderr);
  RunContext ctx(host, SystemFileLayer());
  ctx.options = options;
  ctx.targets = list.paths;

  ComboModel combo;
  bool comboWhole = true;
  if (request.command == Command::RunCombo)
    comboWhole = LoadComboFilesWhole(host, request.comboFiles, options, combo);

  const bool comboRun = request.command == Command::RunCombo;
  std::string refusal = CheckStart(ctx.targets, comboRun, combo.text);
  // Comment headings alone are no step list.
  if (refusal.empty() && comboRun && combo.steps.empty()) refusal = "COMBO!!を指定してください";
  if (!refusal.empty()) {
    ShowStartBox(host, refusal);
    return kExitNothingRun;
  }

  if (comboRun) {
    if (!comboWhole) return kExitNothingRun;
    ctx.ComboRun = true;
    ctx.steps = combo.steps;
    ctx.DescText = ComboRunDescription(ctx.targets.size(), ctx.steps.size());
  } else {
    StepRecord step = SplitStepLine(request.stepLine);
    if (ValidateStep(host, step, request.stepLine, options.codePage) != kStepValid)
      return kExitNothingRun;
    ctx.ComboRun = false;
    ctx.StepArr = step;
    ctx.DescText = StepRunDescription(ctx.targets.size(), step);
  }

  ctx.programFolder = ProgramFolder();
  CancelOnSignals(ctx.CancelFlag);
  RunAll(ctx);
  host.endProgress();

  if (CancelSignalReceived()) return kExitInterrupted;
  return host.boxCount() > 0 || list.leftOut() ? kExitWithBoxes : kExitClean;
}

}  // namespace kadrel::cli
