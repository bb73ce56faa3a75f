#include "run/combo_run.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include "combo/step_line.h"
#include "core/conversions.h"
#include "core/file_naming.h"
#include "core/file_routines.h"
#include "core/run_context.h"
#include "core/step_mode.h"
#include "run/run_driver.h"
#include "run/work_file.h"

namespace kadrel {

namespace {

std::string ProgressText(const RunContext& ctx, int file, int files, int step, int steps) {
  return ctx.DescText + "処理中です...\r\nFILE ( " + std::to_string(file + 1) + " / " +
         std::to_string(files) + " )\r\nCOMBO!! ( " + std::to_string(step + 1) + " / " +
         std::to_string(steps) + " )";
}

// A step line as the COMBO!! run takes it: a replacement step is cut or extended
// to six fields and takes its replacement from fields 4 and 5, never from the
// window's multi-line text.
StepRecord ComboStep(const std::string& line) {
  StepRecord step = SplitStepLine(line);
  if (step.has(1) && TryReadInteger(step.modeText()) == ModeNumber(StepMode::Replace)) {
    step.resize(static_cast<int>(ReplaceField::ReplacementSource));
    step.field(ReplaceField::ReplacementSource) = "0";
  }
  return step;
}

// Runs the step in StepArr over ctx.TargetPath, chaining through the work file.
void RunComboStep(RunContext& ctx, RunnableStep& step) {
  // The mode is field 1's exact text here, where the plain run reads it as a
  // number: a step line whose mode is written otherwise ("00", " 1") is skipped.
  const std::optional<StepMode> mode = ModeOfExactText(ctx.StepArr.modeText());
  if (!mode) return;
  if (RewritesTarget(*mode)) {
    if (*mode != StepMode::ConvertNewline && !CheckUnixNewline(ctx, ctx.TargetPath)) return;
    if (!CopyOver(ctx, ctx.TargetPath, ctx.BkPath)) return;
    if (!OpenInOut(ctx, ctx.BkPath, ctx.TargetPath)) {
      ctx.ErrFlag = true;
      return;
    }
    step.run(ctx);
    CloseRunFiles(ctx, ctx.TargetPath);
  } else if (Extracts(*mode)) {
    if (!CheckUnixNewline(ctx, ctx.TargetPath)) return;
    if (!OpenInOut(ctx, ctx.TargetPath, ctx.SelPath)) return;
    step.run(ctx);
    CloseRunFiles(ctx, ctx.SelPath);
    // Later steps see only the extracted lines; a failed or cancelled extraction
    // leaves the target as it was. A copy that failed part way may have damaged the
    // target: it gets its previous content back as after an engine's failure.
    if (!ctx.ErrFlag && !ctx.CancelFlag.load() && !CopyOver(ctx, ctx.SelPath, ctx.TargetPath)) {
      ctx.ErrFlag = true;
    }
  }
}

// With "auto": whether every step's texts fit the target's code page (a box
// tells of the first that does not).
bool AllWritable(RunContext& ctx, std::vector<RunnableStep>& steps) {
  return std::all_of(steps.begin(), steps.end(),
                     [&](RunnableStep& step) { return step.writableFor(ctx); });
}

}  // namespace

void RunCombo(RunContext& ctx) {
  WorkFileClaim claim(ctx);
  const int files = static_cast<int>(ctx.targets.size());
  const int steps = static_cast<int>(ctx.steps.size());
  // Each line is split once and its step parsed when it first runs.
  std::vector<StepRecord> records;
  records.reserve(ctx.steps.size());
  for (const std::string& line : ctx.steps) records.push_back(ComboStep(line));
  std::vector<RunnableStep> runnable(records.begin(), records.end());
  for (int i = 0; i < files; ++i) {
    ctx.ErrFlag = false;
    ctx.host.selectTarget(i);
    ctx.TargetPath = ctx.targets[static_cast<size_t>(i)];
    // Every step reads and writes the target's files in the encoding chosen here.
    if (!ChooseTargetEncoding(ctx, ctx.TargetPath) || !AllWritable(ctx, runnable)) continue;
    const std::string fileBackup = MakeBackup(ctx, ctx.TargetPath);
    if (fileBackup.empty()) continue;
    const std::string workFile = MakeOutName(ctx, ctx.TargetPath, "wk");
    for (int j = 0; j < steps; ++j) {
      ctx.host.setProgress({ProgressText(ctx, i, files, j, steps), i, files, j, steps});
      ctx.BkPath = workFile;
      ctx.SelPath = workFile;
      ctx.StepArr = records[static_cast<size_t>(j)];
      try {
        if (ctx.StepArr.has(1)) RunComboStep(ctx, runnable[static_cast<size_t>(j)]);
      } catch (...) {  // the run ends; the file gets its previous content back first
        ctx.closeAll();
        std::ignore = RestoreFile(ctx, fileBackup, ctx.TargetPath);
        DeleteQuietly(ctx, workFile);
        throw;
      }
      ctx.host.yield();
      if (ctx.CancelFlag.load()) {
        // A file whose steps were interrupted keeps its previous content.
        std::ignore = RestoreFile(ctx, fileBackup, ctx.TargetPath);
        DeleteQuietly(ctx, workFile);
        return;
      }
      if (ctx.ErrFlag) {
        std::ignore = RestoreFile(ctx, fileBackup, ctx.TargetPath);
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
