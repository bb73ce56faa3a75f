#include "run/prepare_run.h"

#include <algorithm>

#include "combo/step_line.h"
#include "combo/step_validation.h"
#include "run/start_checks.h"

namespace kadrel {

namespace {

void ShowRefusal(Host& host, const std::string& text) {
  MessageBoxRequest box;
  box.text = text;
  host.showMessage(box);
}

// The step and DescText of the request; false when the check refused the step.
bool PrepareStep(Host& host, const RunRequest& request, RunContext& ctx) {
  if (request.page) {
    BuiltStep built = BuildStepFromPage(host, *request.page, request.multiLineReplacement,
                                        TextCheckCodePage(request.options.codePage),
                                        request.listEntries.size(), request.comboSteps.size());
    ctx.StepArr = std::move(built.step);
    ctx.DescText = std::move(built.descText);
    return built.ready;
  }
  if (request.combo) {
    ctx.DescText = ComboRunDescription(request.listEntries.size(), request.comboSteps.size());
    return true;
  }
  ctx.StepArr = SplitStepLine(request.stepLine);
  if (ValidateStep(host, ctx.StepArr, request.stepLine,
                   TextCheckCodePage(request.options.codePage)) != StepCheck::Valid) {
    return false;
  }
  ctx.DescText = StepRunDescription(request.listEntries.size(), ctx.StepArr);
  return true;
}

}  // namespace

PreparedRun PrepareRun(Host& host, FileLayer& files, const RunRequest& request) {
  PreparedRun prepared;
  prepared.context = std::make_unique<RunContext>(host, files);
  RunContext& ctx = *prepared.context;
  ctx.options = request.options;
  ctx.targets = request.listEntries;
  ctx.targetScanRoots = request.listScanRoots;
  ctx.targetDroppedFolders = request.listDroppedFolders;
  ctx.ComboRun = request.combo;
  if (request.combo) ctx.steps = request.comboSteps;
  ctx.multiLineReplacement = request.multiLineReplacement;
  ctx.lineBufferSize = request.lineBufferSize;
  ctx.fastPaths = request.fastPaths;
  ctx.workers = std::max<size_t>(request.workers, 1);

  const std::string refusal = CheckStart(request.listEntries, request.combo, request.comboText);
  if (!refusal.empty()) {
    ShowRefusal(host, refusal);
    return prepared;
  }
  if (request.combo && !request.stepListComplete) return prepared;
  prepared.ready = PrepareStep(host, request, ctx);
  return prepared;
}

}  // namespace kadrel
