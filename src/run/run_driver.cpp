#include "run/run_driver.h"

#include <exception>
#include <new>
#include <optional>

#include "combo/step_line.h"
#include "core/conversions.h"
#include "core/run_error.h"
#include "core/step_mode.h"
#include "run/run_context.h"
#include "run/target_job.h"

namespace kadrel {

namespace {

void ShowRunErrorBox(Host& host, RunReport& report, const RunError& e) {
  MessageBoxRequest box;
  box.icon = BoxIcon::Critical;
  box.text = std::string("Kadrel処理中にエラーが発生しました\r\n( ") + FormatInteger(e.number()) +
             " ) " + e.what();
  report.endedByError = box.text;
  host.showMessage(box);
}

// Runs work under the run-level error handler: an error that ends the run is
// reported in the critical box; the files finished before it take their names.
void RunGuarded(RunState& run, const std::function<void()>& work) {
  try {
    try {
      work();
    } catch (const std::bad_alloc&) {
      throw MakeRunError(kErrOutOfMemory);
    } catch (const RunError&) {
      throw;
    } catch (const std::exception&) {
      throw MakeRunError(kErrInternal);
    }
  } catch (const RunError& e) {
    run.host.clearTarget();
    ShowRunErrorBox(run.host, run.report, e);
  }
  run.finished.commitAll();
  run.report.cancelled = run.ctx.CancelFlag.load();
}

// The mode of a plain run: field 1 read as a number (a text that is none ends
// the run); nothing for a mode without an engine.
std::optional<StepMode> PlainMode(const RunContext& ctx) {
  const std::optional<StepMode> mode = ModeOfNumber(ReadInteger(ctx.StepArr.modeText()));
  if (mode == StepMode::Combo) return std::nullopt;
  return mode;
}

// A step line as the COMBO!! run takes it: a replacement step is cut or extended
// to six fields and takes its replacement from fields 4 and 5, never from the
// window's multi-line text. Its mode is field 1's exact text, where the plain run
// reads it as a number: a step line whose mode is written otherwise ("00", " 1")
// does nothing.
RunnableStep ComboStep(const std::string& line) {
  StepRecord step = SplitStepLine(line);
  if (!step.has(1)) return RunnableStep(std::move(step), std::nullopt);
  std::optional<StepMode> mode = ModeOfExactText(step.modeText());
  if (mode == StepMode::Replace) {
    step.resize(static_cast<int>(ReplaceField::ReplacementSource));
    step.field(ReplaceField::ReplacementSource) = "0";
  }
  if (mode && !RewritesTarget(*mode) && !Extracts(*mode)) mode.reset();
  return RunnableStep(std::move(step), mode);
}

// Whether the targets may be prepared ahead: several workers, several targets,
// each with an output of its own.
bool PreparedAhead(const RunContext& ctx) {
  return ctx.workers > 1 && ctx.targets.size() > 1 && (ctx.ComboRun || ctx.options.SelFile == 0);
}

void RunPlain(RunState& run) {
  RunContext& ctx = run.ctx;
  JobPlan plan;
  const std::optional<StepMode> mode = PlainMode(ctx);
  plan.output = mode && Extracts(*mode) ? JobPlan::Output::Result : JobPlan::Output::Replacement;
  plan.steps.emplace_back(ctx.StepArr, mode);
  const int count = static_cast<int>(ctx.targets.size());
  // What the run does before and after each target, whoever prepares it.
  const auto begin = [&](size_t i) {
    run.host.selectTarget(static_cast<int>(i));
    run.host.setProgress({ctx.DescText + "処理中です...", static_cast<int>(i), count, 0, 0});
  };
  const auto end = [&](size_t) {
    run.finished.commitIfMany();
    run.host.yield();
    return !ctx.CancelFlag.load();
  };
  if (mode && PreparedAhead(ctx)) {
    ProcessTargetsAhead(run, plan, begin, end);
  } else {
    for (size_t i = 0; i < ctx.targets.size(); ++i) {
      begin(i);
      // A mode without an engine does nothing.
      if (mode) ProcessTarget(run, plan, i);
      if (!end(i)) break;
    }
  }
  // The joint result file takes its name, emptied as it was at the start when
  // nothing was extracted into it.
  JointResult& joint = run.joint;
  if (joint.file)
    run.finished.addResult(std::move(joint.indexes), std::move(joint.file), joint.path);
  run.host.setProgress({ctx.DescText + "処理中です...", count, count, 0, 0});
}

void RunCombo(RunState& run) {
  RunContext& ctx = run.ctx;
  JobPlan plan;
  plan.combo = true;
  for (const std::string& line : ctx.steps) plan.steps.push_back(ComboStep(line));
  const int files = static_cast<int>(ctx.targets.size());
  const int steps = static_cast<int>(plan.steps.size());
  const bool ahead = PreparedAhead(ctx);
  const auto begin = [&](size_t i) { run.host.selectTarget(static_cast<int>(i)); };
  const auto end = [&](size_t) {
    run.finished.commitIfMany();
    // A target prepared ahead yielded to nobody between its steps.
    if (ahead) run.host.yield();
    return !ctx.CancelFlag.load();
  };
  if (ahead) {
    ProcessTargetsAhead(run, plan, begin, end);
  } else {
    for (size_t i = 0; i < ctx.targets.size(); ++i) {
      begin(i);
      ProcessTarget(run, plan, i);
      if (!end(i)) break;
    }
  }
  if (files > 0) {
    run.host.setProgress({ctx.DescText + "処理中です...\r\nFILE ( " + std::to_string(files) +
                              " / " + std::to_string(files) + " )\r\nCOMBO!! ( " +
                              std::to_string(steps) + " / " + std::to_string(steps) + " )",
                          files, files, steps, steps});
  }
}

}  // namespace

RunReport RunAll(RunContext& ctx) {
  RunReport report;
  RunState run(ctx, report);
  RunGuarded(run, [&] {
    if (ctx.ComboRun) {
      RunCombo(run);
    } else {
      RunPlain(run);
    }
  });
  return report;
}

RunReport RunOnStreams(RunContext& ctx, std::unique_ptr<InputFile> input,
                       std::unique_ptr<OutputFile> output) {
  RunReport report;
  RunState run(ctx, report);
  RunGuarded(run, [&] {
    const std::optional<StepMode> mode = PlainMode(ctx);
    if (!mode) return;  // no engine: nothing to do
    JobPlan plan;
    plan.output = JobPlan::Output::Stream;
    plan.steps.emplace_back(ctx.StepArr, mode);
    run.host.setProgress({ctx.DescText + "処理中です...", 0, 1, 0, 0});
    ProcessStream(run, plan, std::move(input), std::move(output));
    run.host.setProgress({ctx.DescText + "処理中です...", 1, 1, 0, 0});
  });
  return report;
}

}  // namespace kadrel
