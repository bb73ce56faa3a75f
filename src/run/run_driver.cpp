#include "run/run_driver.h"

#include <exception>
#include <new>
#include <tuple>
#include <type_traits>
#include <variant>

#include "core/conversions.h"
#include "core/engines/engines.h"
#include "core/file_naming.h"
#include "core/file_routines.h"
#include "core/run_context.h"
#include "core/run_error.h"
#include "core/step_mode.h"
#include "extract/extract_engines.h"
#include "run/combo_run.h"
#include "run/finished_files.h"

namespace kadrel {

namespace {

void ShowRunErrorBox(RunContext& ctx, const RunError& e) {
  MessageBoxRequest box;
  box.icon = BoxIcon::Critical;
  box.text = std::string("Kadrel処理中にエラーが発生しました\r\n( ") + FormatInteger(e.number()) +
             " ) " + e.what();
  ctx.host.showMessage(box);
}

// The code page the target's files are read and written in (with "auto", what
// its first bytes show); false, after a box, when the target cannot be read or a
// text of the step does not fit that code page.
bool ChooseEncoding(RunContext& ctx, TargetFile& target, RunnableStep& step) {
  return ChooseTargetEncoding(ctx, target) && step.writableFor(ctx);
}

// Rewrites list entry index: the engine reads the target and writes its
// replacement, which takes the target's name once the whole run of the engine
// went well. An error, a cancel, or nothing replaced with UpdateNoFile off leave
// the target untouched.
void RewriteTarget(RunContext& ctx, size_t index, RunnableStep& step, StepMode mode,
                   FinishedFiles& finished) {
  std::unique_ptr<TargetFile> target = OpenTarget(ctx, index, true);
  if (!target || !ChooseEncoding(ctx, *target, step)) return;
  // A bare LF is what line-end conversion is there for.
  if (mode != StepMode::ConvertNewline && !CheckUnixNewline(ctx, target->read())) return;
  std::optional<DropPath> backup;
  if (ctx.options.BkupEdit == 1) {
    backup = BackupName(ctx, index);
    if (!backup) return;
  }
  ctx.BkPath = backup ? backup->path : std::string();
  std::unique_ptr<NewFile> replacement = CreateReplacement(ctx, *target);
  if (!replacement || !OpenInOut(ctx, target->read(), *replacement)) {
    ctx.ErrFlag = true;
    return;
  }
  ctx.ChangedFlag = 1;
  step.run(ctx);
  CloseRunFiles(ctx, ctx.TargetPath);
  if (ctx.ErrFlag || ctx.CancelFlag.load()) return;
  if (mode == StepMode::Replace && ctx.ChangedFlag == 0) return;
  finished.addReplacement(std::move(target), std::move(replacement), ctx.TargetPath,
                          std::move(backup));
}

// The joint result file (SelFile): every target's result in list order, named
// after the first list item. It takes its name at the end of the run.
struct JointResult {
  std::unique_ptr<NewFile> file;
  std::string path;
  FileEncoding encoding;  // the first target's written into it
};

void ExtractTarget(RunContext& ctx, size_t index, RunnableStep& step, JointResult& joint,
                   FinishedFiles& finished) {
  std::unique_ptr<TargetFile> target = OpenTarget(ctx, index, false);
  if (!target || !ChooseEncoding(ctx, *target, step) || !CheckUnixNewline(ctx, target->read()))
    return;
  if (ctx.options.SelFile == 0) {
    ctx.SelPath = MakeOutName(ctx, ctx.TargetPath, "sel");
    std::unique_ptr<NewFile> result =
        CreateResult(ctx, ctx.derivedName(index, ctx.SelPath), *target);
    if (!result || !OpenInOut(ctx, target->read(), *result)) return;
    step.run(ctx);
    CloseRunFiles(ctx, ctx.SelPath);
    // A failed or cancelled extraction leaves the previous result.
    if (!ctx.ErrFlag && !ctx.CancelFlag.load()) finished.addResult(std::move(result), ctx.SelPath);
    return;
  }
  ctx.SelPath = MakeOutName(ctx, ctx.targets.front(), "sel");
  if (!joint.file) {
    joint.file = CreateResult(ctx, ctx.derivedName(0, ctx.SelPath), *target);
    joint.path = ctx.SelPath;
    joint.encoding = ctx.targetEncoding;
    if (!joint.file) return;
  } else {
    joint.file->narrowTo(target->attributes());
  }
  ctx.outputEncoding = joint.encoding;
  const uint64_t before = joint.file->size();
  if (!OpenInOut(ctx, target->read(), *joint.file)) return;
  step.run(ctx);
  CloseRunFiles(ctx, ctx.SelPath);
  // A failed or cancelled extraction adds nothing.
  if (ctx.ErrFlag || ctx.CancelFlag.load()) std::ignore = joint.file->truncate(before);
}

void RunPlain(RunContext& ctx) {
  const std::optional<StepMode> mode = ModeOfNumber(ReadInteger(ctx.StepArr.modeText()));
  RunnableStep step(ctx.StepArr);
  const int count = static_cast<int>(ctx.targets.size());
  FinishedFiles finished(ctx);
  JointResult joint;
  try {
    for (int i = 0; i < count; ++i) {
      ctx.ErrFlag = false;
      ctx.host.selectTarget(i);
      ctx.TargetPath = ctx.targets[static_cast<size_t>(i)];
      ctx.host.setProgress({ctx.DescText + "処理中です...", i, count, 0, 0});
      if (!mode || *mode == StepMode::Combo) {
        // no engine: nothing to do
      } else if (RewritesTarget(*mode)) {
        RewriteTarget(ctx, static_cast<size_t>(i), step, *mode, finished);
      } else {
        ExtractTarget(ctx, static_cast<size_t>(i), step, joint, finished);
      }
      finished.commitIfMany();
      ctx.host.yield();
      if (ctx.CancelFlag.load()) break;
    }
  } catch (...) {  // the run ends; the files finished before take their names
    ctx.closeAll();
    finished.commitAll();
    throw;
  }
  if (joint.file) finished.addResult(std::move(joint.file), joint.path);
  finished.commitAll();
  ctx.host.setProgress({ctx.DescText + "処理中です...", count, count, 0, 0});
}

}  // namespace

void RunStep(RunContext& ctx, const StepParams& step) {
  std::visit(
      [&ctx](const auto& params) {
        using Params = std::decay_t<decltype(params)>;
        if constexpr (std::is_same_v<Params, ReplaceParams>) {
          ReplaceText(ctx, params);
        } else if constexpr (std::is_same_v<Params, ConvertNewlineParams>) {
          ConvertNewline(ctx);
        } else if constexpr (std::is_same_v<Params, EditLineEndsParams>) {
          EditLineEnds(ctx, params);
        } else if constexpr (std::is_same_v<Params, KeywordRangeParams>) {
          ExtractKeywordRange(ctx, params);
        } else if constexpr (std::is_same_v<Params, MatchingLinesParams>) {
          ExtractMatchingLines(ctx, params);
        } else {
          static_assert(std::is_same_v<Params, DeleteBlanksParams>);
          DeleteBlanks(ctx, params);
        }
      },
      step);
}

void RunnableStep::parse(RunContext& ctx) {
  const CodePage codePage = ctx.readEncoding().codePage;
  if (parsedFor_ == codePage) return;
  params_ = ParseStep(record_, ctx.multiLineReplacement, codePage);
  parsedFor_ = codePage;
}

bool RunnableStep::writableFor(RunContext& ctx) {
  if (!ctx.options.codePage.automatic) return true;
  try {
    parse(ctx);
  } catch (const UnwritableTextError& e) {
    MessageBoxRequest box;
    box.text = std::string(e.what()) + "\r[ " + ctx.TargetPath + " ]\r処理を飛ばします";
    ctx.host.showMessage(box);
    return false;
  } catch (const RunError&) {
    // shows when the step runs
  }
  return true;
}

void RunnableStep::run(RunContext& ctx) {
  parse(ctx);
  if (params_) RunStep(ctx, *params_);
}

void RunAll(RunContext& ctx) {
  ctx.processedFiles.clear();
  ctx.cleanedFolders.clear();
  RunGuarded(ctx, [&] {
    if (ctx.ComboRun) {
      RunCombo(ctx);
    } else {
      RunPlain(ctx);
    }
  });
}

void RunGuarded(RunContext& ctx, const std::function<void()>& work) {
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
    ShowRunErrorBox(ctx, e);
    ctx.closeAll();
  }
}

}  // namespace kadrel
