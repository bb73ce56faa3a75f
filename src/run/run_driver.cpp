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

namespace kadrel {

namespace {

void ShowRunErrorBox(RunContext& ctx, const RunError& e) {
  MessageBoxRequest box;
  box.icon = BoxIcon::Critical;
  box.text = std::string("Kadrel処理中にエラーが発生しました\r\n( ") + FormatInteger(e.number()) +
             " ) " + e.what();
  ctx.host.showMessage(box);
}

// Rewrites TargetPath in place: backup copy first, the engine reads the copy and
// writes the target. An error or a cancel puts the previous content back.
void RewriteTarget(RunContext& ctx, RunnableStep& step, bool honourChangedFlag) {
  ctx.BkPath = MakeBackup(ctx, ctx.TargetPath);
  if (ctx.BkPath.empty()) return;
  if (!OpenInOut(ctx, ctx.BkPath, ctx.TargetPath)) {
    ctx.ErrFlag = true;
  } else {
    ctx.ChangedFlag = 1;
    try {
      step.run(ctx);
    } catch (...) {  // the run ends, but the emptied target gets its content back first
      ctx.closeAll();
      std::ignore = RestoreFile(ctx, ctx.BkPath, ctx.TargetPath);  // a failure told its box
      throw;
    }
    CloseRunFiles(ctx, ctx.TargetPath);
    if (honourChangedFlag && ctx.ChangedFlag == 0) {  // nothing replaced: keep the old file
      if (RestoreFile(ctx, ctx.BkPath, ctx.TargetPath)) DeleteQuietly(ctx, ctx.BkPath);
      return;
    }
  }
  if (ctx.ErrFlag) {
    std::ignore = RestoreFile(ctx, ctx.BkPath, ctx.TargetPath);  // the backup copy stays
  } else if (ctx.CancelFlag.load()) {
    // A cancelled engine stopped after some line: the target is incomplete. Once
    // it has its previous content back, the copy is kept only if backups are.
    if (RestoreFile(ctx, ctx.BkPath, ctx.TargetPath) && ctx.options.BkupEdit != 1)
      DeleteQuietly(ctx, ctx.BkPath);
  } else if (ctx.options.BkupEdit != 1) {
    DeleteQuietly(ctx, ctx.BkPath);
  }
}

void RefuseOutputOverTarget(RunContext& ctx, const std::string& path) {
  MessageBoxRequest box;
  box.text = std::string("ファイルオープンでエラーが発生しました\r[ ") + path + "]\r" +
             kSameFileText + "\r処理を飛ばします";
  ctx.host.showMessage(box);
}

// jointEncoding: once the joint result file is created, its encoding (that of the
// first target extracted into it).
void ExtractTarget(RunContext& ctx, RunnableStep& step,
                   std::optional<FileEncoding>& jointEncoding) {
  if (!CheckUnixNewline(ctx, ctx.TargetPath)) return;
  bool opened;
  if (ctx.options.SelFile == 0) {
    ctx.SelPath = MakeOutName(ctx, ctx.TargetPath, "sel");
    if (ctx.isListedTarget(ctx.SelPath)) return RefuseOutputOverTarget(ctx, ctx.SelPath);
    opened = OpenInOut(ctx, ctx.TargetPath, ctx.SelPath);
  } else {
    ctx.SelPath = MakeOutName(ctx, ctx.targets.front(), "sel");
    if (ctx.isListedTarget(ctx.SelPath)) return RefuseOutputOverTarget(ctx, ctx.SelPath);
    if (!jointEncoding && CreateEmpty(ctx, ctx.SelPath)) jointEncoding = ctx.targetEncoding;
    if (jointEncoding) ctx.outputEncoding = *jointEncoding;
    opened = jointEncoding && OpenInAppend(ctx, ctx.TargetPath, ctx.SelPath);
  }
  if (!opened) return;
  step.run(ctx);
  CloseRunFiles(ctx, ctx.SelPath);
}

void RunPlain(RunContext& ctx) {
  const std::optional<StepMode> mode = ModeOfNumber(ReadInteger(ctx.StepArr.modeText()));
  RunnableStep step(ctx.StepArr);
  const int count = static_cast<int>(ctx.targets.size());
  std::optional<FileEncoding> jointEncoding;
  for (int i = 0; i < count; ++i) {
    ctx.ErrFlag = false;
    ctx.host.selectTarget(i);
    ctx.TargetPath = ctx.targets[static_cast<size_t>(i)];
    ctx.host.setProgress({ctx.DescText + "処理中です...", i, count, 0, 0});
    if (!mode || *mode == StepMode::Combo) {
      // no engine: nothing to do
    } else if (!ChooseTargetEncoding(ctx, ctx.TargetPath) || !step.writableFor(ctx)) {
      // skipped: its box told why
    } else if (*mode == StepMode::ConvertNewline) {
      // A bare LF is what this mode is there for.
      RewriteTarget(ctx, step, false);
    } else if (RewritesTarget(*mode)) {
      if (CheckUnixNewline(ctx, ctx.TargetPath))
        RewriteTarget(ctx, step, *mode == StepMode::Replace);
    } else {
      ExtractTarget(ctx, step, jointEncoding);
    }
    ctx.host.yield();
    if (ctx.CancelFlag.load()) break;
  }
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
