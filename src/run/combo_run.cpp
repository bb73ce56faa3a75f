#include "run/combo_run.h"

#include "combo/step_line.h"
#include "core/conversions.h"
#include "core/file_naming.h"
#include "core/file_routines.h"
#include "core/run_context.h"
#include "run/run_driver.h"
#include "run/work_file.h"

namespace kadrel {

namespace {

std::string ProgressText(const RunContext& ctx, int file, int files, int step, int steps) {
  return ctx.DescText + "処理中です...\r\nFILE ( " + std::to_string(file + 1) + " / " +
         std::to_string(files) + " )\r\nCOMBO!! ( " + std::to_string(step + 1) + " / " +
         std::to_string(steps) + " )";
}

// Runs the step in StepArr over ctx.TargetPath, chaining through the work file.
void RunComboStep(RunContext& ctx) {
  const std::string& mode = ctx.StepArr.field(1);
  if (mode == "0" || mode == "1" || mode == "2" || mode == "5") {
    if (mode != "1" && !CheckUnixNewline(ctx, ctx.TargetPath)) return;
    CopyOver(ctx, ctx.TargetPath, ctx.BkPath);
    if (ctx.BkPath.empty()) return;
    if (!OpenInOut(ctx, ctx.BkPath, ctx.TargetPath)) {
      ctx.ErrFlag = true;
      return;
    }
    RunStep(ctx, ctx.StepArr);
    CloseRunFiles(ctx, ctx.TargetPath);
  } else if (mode == "3" || mode == "4") {
    if (!CheckUnixNewline(ctx, ctx.TargetPath)) return;
    if (!OpenInOut(ctx, ctx.TargetPath, ctx.SelPath)) return;
    RunStep(ctx, ctx.StepArr);
    CloseRunFiles(ctx, ctx.SelPath);
    // Later steps see only the extracted lines; a failed or cancelled extraction
    // leaves the target as it was.
    if (!ctx.ErrFlag && !ctx.CancelFlag.load()) {
      // A copy that failed part way may have damaged the target: it gets its previous
      // content back as after an engine's failure. The copy goes to a local name, so
      // that its failure cannot empty TargetPath for the steps and messages after it.
      std::string target = ctx.TargetPath;
      CopyOver(ctx, ctx.SelPath, target);
      if (target.empty()) ctx.ErrFlag = true;
    }
  }
}

}  // namespace

void RunCombo(RunContext& ctx) {
  WorkFileClaim claim(ctx);
  const int files = static_cast<int>(ctx.targets.size());
  const int steps = static_cast<int>(ctx.steps.size());
  for (int i = 0; i < files; ++i) {
    ctx.ErrFlag = false;
    ctx.host.selectTarget(i);
    ctx.TargetPath = ctx.targets[static_cast<size_t>(i)];
    const std::string fileBackup = MakeBackup(ctx, ctx.TargetPath);
    if (fileBackup.empty()) continue;
    const std::string workFile = MakeOutName(ctx, ctx.TargetPath, "wk");
    for (int j = 0; j < steps; ++j) {
      ctx.host.setProgress({ProgressText(ctx, i, files, j, steps), i, files, j, steps});
      ctx.BkPath = workFile;
      ctx.SelPath = workFile;
      ctx.StepArr = SplitStepLine(ctx.steps[static_cast<size_t>(j)]);
      if (ctx.StepArr.has(1) && TryReadInteger(ctx.StepArr.field(1)) == 0) {
        ctx.StepArr.resize(6);  // a COMBO!! step never takes the window's multi-line text
        ctx.StepArr.field(6) = "0";
      }
      try {
        if (ctx.StepArr.has(1)) RunComboStep(ctx);
      } catch (...) {  // the run ends; the file gets its previous content back first
        ctx.closeAll();
        RestoreFile(ctx, fileBackup, ctx.TargetPath);
        DeleteQuietly(ctx, workFile);
        throw;
      }
      ctx.host.yield();
      if (ctx.CancelFlag.load()) {
        // A file whose steps were interrupted keeps its previous content.
        RestoreFile(ctx, fileBackup, ctx.TargetPath);
        DeleteQuietly(ctx, workFile);
        return;
      }
      if (ctx.ErrFlag) {
        RestoreFile(ctx, fileBackup, ctx.TargetPath);
        break;
      }
    }
    DeleteQuietly(ctx, workFile);
  }
  if (files > 0)
    ctx.host.setProgress(
        {ProgressText(ctx, files - 1, files, steps - 1, steps), files, files, steps, steps});
}

}  // namespace kadrel
