#include "run/combo_run.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "combo/step_line.h"
#include "core/conversions.h"
#include "core/file_naming.h"
#include "core/file_routines.h"
#include "core/run_context.h"
#include "core/step_mode.h"
#include "run/finished_files.h"
#include "run/run_driver.h"

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

// Runs the step in StepArr over the file's present content (the target's, or the
// last step's output) into a new replacement of the target; returns it, or null
// when the step was skipped or failed (ErrFlag) or the run was cancelled.
std::unique_ptr<NewFile> RunComboStep(RunContext& ctx, TargetFile& target, NewFile* present,
                                      RunnableStep& step) {
  // The mode is field 1's exact text here, where the plain run reads it as a
  // number: a step line whose mode is written otherwise ("00", " 1") is skipped.
  const std::optional<StepMode> mode = ModeOfExactText(ctx.StepArr.modeText());
  if (!mode || (!RewritesTarget(*mode) && !Extracts(*mode))) return nullptr;
  auto content = [&] { return present != nullptr ? present->read() : target.read(); };
  if (*mode != StepMode::ConvertNewline && !CheckUnixNewline(ctx, content())) return nullptr;
  // A rewriting step that cannot open its files fails the file; an extraction
  // step is skipped.
  std::unique_ptr<NewFile> output = CreateReplacement(ctx, target);
  if (!output || !OpenInOut(ctx, content(), *output)) {
    if (RewritesTarget(*mode)) ctx.ErrFlag = true;
    return nullptr;
  }
  step.run(ctx);
  CloseRunFiles(ctx, ctx.TargetPath);
  if (ctx.ErrFlag || ctx.CancelFlag.load()) return nullptr;
  return output;
}

// With "auto": whether every step's texts fit the target's code page (a box
// tells of the first that does not).
bool AllWritable(RunContext& ctx, std::vector<RunnableStep>& steps) {
  return std::all_of(steps.begin(), steps.end(),
                     [&](RunnableStep& step) { return step.writableFor(ctx); });
}

// Every step over list entry i; the file takes its new content once every step
// has run, its previous content kept in its backup copy. False when the run was
// cancelled.
bool RunSteps(RunContext& ctx, size_t i, std::vector<StepRecord>& records,
              std::vector<RunnableStep>& runnable, FinishedFiles& finished) {
  const int files = static_cast<int>(ctx.targets.size());
  const int steps = static_cast<int>(records.size());
  std::unique_ptr<TargetFile> target = OpenTarget(ctx, i, true);
  // Every step reads and writes the target's files in the encoding chosen here.
  if (!target || !ChooseTargetEncoding(ctx, *target) || !AllWritable(ctx, runnable)) return true;
  std::optional<DropPath> backup = BackupName(ctx, i);
  if (!backup) return true;
  std::unique_ptr<NewFile> present;  // the last step's output
  for (int j = 0; j < steps; ++j) {
    ctx.host.setProgress({ProgressText(ctx, static_cast<int>(i), files, j, steps),
                          static_cast<int>(i), files, j, steps});
    ctx.BkPath = backup->path;
    ctx.SelPath = ctx.TargetPath;  // an extraction step writes the file's next content
    ctx.StepArr = records[static_cast<size_t>(j)];
    if (ctx.StepArr.has(1)) {
      if (auto output = RunComboStep(ctx, *target, present.get(), runnable[static_cast<size_t>(j)]))
        present = std::move(output);
    }
    ctx.host.yield();
    // A file whose steps were interrupted or failed keeps its previous content.
    if (ctx.CancelFlag.load()) return false;
    if (ctx.ErrFlag) return true;
  }
  if (present)
    finished.addReplacement(std::move(target), std::move(present), ctx.TargetPath,
                            std::move(backup));
  return true;
}

}  // namespace

void RunCombo(RunContext& ctx) {
  const int files = static_cast<int>(ctx.targets.size());
  const int steps = static_cast<int>(ctx.steps.size());
  // Each line is split once and its step parsed when it first runs.
  std::vector<StepRecord> records;
  records.reserve(ctx.steps.size());
  for (const std::string& line : ctx.steps) records.push_back(ComboStep(line));
  std::vector<RunnableStep> runnable(records.begin(), records.end());
  FinishedFiles finished(ctx);
  try {
    for (int i = 0; i < files; ++i) {
      ctx.ErrFlag = false;
      ctx.host.selectTarget(i);
      ctx.TargetPath = ctx.targets[static_cast<size_t>(i)];
      const bool goOn = RunSteps(ctx, static_cast<size_t>(i), records, runnable, finished);
      finished.commitIfMany();
      if (!goOn) break;
    }
  } catch (...) {  // the run ends; the files finished before take their names
    ctx.closeAll();
    finished.commitAll();
    throw;
  }
  finished.commitAll();
  if (files > 0)
    ctx.host.setProgress(
        {ProgressText(ctx, files - 1, files, steps - 1, steps), files, files, steps, steps});
}

}  // namespace kadrel
