#include "core/run_driver.h"

#include <exception>
#include <new>

#include "core/combo_run.h"
#include "core/conversions.h"
#include "core/engines/engines.h"
#include "core/file_naming.h"
#include "core/file_routines.h"
#include "core/run_context.h"
#include "core/run_error.h"
#include "core/text/typed_text.h"
#include "core/text/utf.h"
#include "extract/extract_engines.h"

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
void RewriteTarget(RunContext& ctx, bool honourChangedFlag) {
  ctx.BkPath = MakeBackup(ctx, ctx.TargetPath);
  if (ctx.BkPath.empty()) return;
  if (!OpenInOut(ctx, ctx.BkPath, ctx.TargetPath)) {
    ctx.ErrFlag = true;
  } else {
    ctx.ChangedFlag = 1;
    try {
      RunStep(ctx, ctx.StepArr);
    } catch (...) {  // the run ends, but the emptied target gets its content back first
      ctx.closeAll();
      RestoreFile(ctx, ctx.BkPath, ctx.TargetPath);
      throw;
    }
    CloseRunFiles(ctx, ctx.TargetPath);
    if (honourChangedFlag && ctx.ChangedFlag == 0) {  // nothing replaced: keep the old file
      if (RestoreFile(ctx, ctx.BkPath, ctx.TargetPath)) DeleteQuietly(ctx, ctx.BkPath);
      return;
    }
  }
  if (ctx.ErrFlag) {
    RestoreFile(ctx, ctx.BkPath, ctx.TargetPath);
  } else if (ctx.CancelFlag.load()) {
    // A cancelled engine stopped after some line: the target is incomplete. Once
    // it has its previous content back, the copy is kept only if backups are.
    if (RestoreFile(ctx, ctx.BkPath, ctx.TargetPath) && ctx.options.BkupEdit != 1)
      DeleteQuietly(ctx, ctx.BkPath);
  } else if (ctx.options.BkupEdit != 1) {
    DeleteQuietly(ctx, ctx.BkPath);
  }
}

// True when path is one of the listed targets: a result file may never replace one.
bool IsListedTarget(const RunContext& ctx, const std::string& path) {
  for (const auto& t : ctx.targets)
    if (t == path) return true;
  return false;
}

void RefuseOutputOverTarget(RunContext& ctx, const std::string& path) {
  MessageBoxRequest box;
  box.text = std::string("ファイルオープンでエラーが発生しました\r[ ") + path + "]\r" +
             kSameFileText + "\r処理を飛ばします";
  ctx.host.showMessage(box);
}

void ExtractTarget(RunContext& ctx, bool& jointFileCreated) {
  if (!CheckUnixNewline(ctx, ctx.TargetPath)) return;
  bool opened;
  if (ctx.options.SelFile == 0) {
    ctx.SelPath = MakeOutName(ctx, ctx.TargetPath, "sel");
    if (IsListedTarget(ctx, ctx.SelPath)) return RefuseOutputOverTarget(ctx, ctx.SelPath);
    opened = OpenInOut(ctx, ctx.TargetPath, ctx.SelPath);
  } else {
    ctx.SelPath = MakeOutName(ctx, ctx.targets.front(), "sel");
    if (IsListedTarget(ctx, ctx.SelPath)) return RefuseOutputOverTarget(ctx, ctx.SelPath);
    if (!jointFileCreated) jointFileCreated = CreateEmpty(ctx, ctx.SelPath);
    opened = jointFileCreated && OpenInAppend(ctx, ctx.TargetPath, ctx.SelPath);
  }
  if (!opened) return;
  RunStep(ctx, ctx.StepArr);
  CloseRunFiles(ctx, ctx.SelPath);
}

void RunPlain(RunContext& ctx) {
  const int mode = ReadInteger(ctx.StepArr.field(1));
  const int count = static_cast<int>(ctx.targets.size());
  bool jointFileCreated = false;
  for (int i = 0; i < count; ++i) {
    ctx.ErrFlag = false;
    ctx.host.selectTarget(i);
    ctx.TargetPath = ctx.targets[static_cast<size_t>(i)];
    ctx.host.setProgress({ctx.DescText + "処理中です...", i, count, 0, 0});
    switch (mode) {
      case 0:
      case 2:
      case 5:
        if (CheckUnixNewline(ctx, ctx.TargetPath)) RewriteTarget(ctx, mode == 0);
        break;
      case 1:
        RewriteTarget(ctx, false);
        break;
      case 3:
      case 4:
        ExtractTarget(ctx, jointFileCreated);
        break;
      default:
        break;
    }
    ctx.host.yield();
    if (ctx.CancelFlag.load()) break;
  }
  ctx.host.setProgress({ctx.DescText + "処理中です...", count, count, 0, 0});
}

std::u32string Spaces(int16_t count) {
  if (count < 0) throw MakeRunError(kErrInvalidCall);
  return std::u32string(static_cast<size_t>(count), U' ');
}

// A text of the step as the engines take it: typed text meets the code page's own
// characters. The step check refuses a character that the code page cannot hold;
// one that still arrives (the code page was changed after a COMBO!! file was
// loaded) ends the run before the engine writes anything with it.
std::u32string StepText(const RunContext& ctx, std::string_view utf8) {
  std::u32string text = TypedText(utf8, ctx.options.codePage);
  if (std::optional<char32_t> c = FirstUnwritable(text, ctx.options.codePage)) {
    throw RunError(kErrInvalidCall,
                   UnwritableText(ctx.options.codePage) + " [ " + CharacterForMessage(*c) + " ]");
  }
  return text;
}

void DispatchReplace(RunContext& ctx, const StepRecord& step) {
  ctx.FindStr.clear();
  ctx.ReplStr.clear();
  ctx.FindStr = ReadFlag(step.field(2)) == 1 ? U"\t" : StepText(ctx, step.field(3));
  if (ReadFlag(step.field(6)) != 0) {
    ctx.ReplStr = StepText(ctx, ctx.host.multiLineReplacement());
  } else {
    const std::string& kind = step.field(4);
    if (kind == "1") {
      ctx.ReplStr = U"\t";
    } else if (kind == "2") {
      ctx.ReplStr = U"\r";
    } else if (kind == "3") {
      ctx.ReplStr = U"\n";
    } else if (kind == "4") {
      ctx.ReplStr = U"\r\n";
    } else {
      ctx.ReplStr = StepText(ctx, step.field(5));
    }
  }
  ReplaceText(ctx);
}

void DispatchEditLineEnds(RunContext& ctx, const StepRecord& step) {
  const bool atHead = ReadFlag(step.field(2)) == 0;
  std::u32string insertText;
  bool numbering = false;
  int32_t start = 0, increment = 0;
  std::string numberFormat;
  switch (ReadInteger(step.field(4))) {
    case 1:
      insertText = ReadFlag(step.field(5)) != 0 ? StepText(ctx, step.field(7))
                                                : Spaces(ReadInteger(step.field(6)));
      break;
    case 2:
      start = ReadInteger(step.field(8));
      increment = ReadInteger(step.field(9));
      numberFormat.assign(CodePointCount(step.field(8)), '0');
      insertText = Utf8ToU32(FormatNumber(start, numberFormat));
      numbering = true;
      break;
    default:
      break;
  }
  const int16_t count = ReadInteger(step.field(3));
  if (count < 0) throw MakeRunError(kErrInvalidCall);
  EditLineEnds(ctx, numbering, atHead, count, insertText, start, increment, numberFormat);
}

void DispatchDeleteBlanks(RunContext& ctx, const StepRecord& step) {
  const bool lineDel = ReadFlag(step.field(2)) != 0;
  const bool spaceOnly = ReadFlag(step.field(3)) != 0;
  const bool trimLeft = ReadFlag(step.field(4)) != 0;
  const bool trimAll = ReadFlag(step.field(5)) != 0;
  const bool trimRight = ReadFlag(step.field(6)) != 0;
  DeleteBlanks(ctx, lineDel, lineDel && spaceOnly, trimLeft, trimAll, trimRight);
}

}  // namespace

void RunStep(RunContext& ctx, const StepRecord& step) {
  switch (ReadInteger(step.field(1))) {
    case 0:
      return DispatchReplace(ctx, step);
    case 1:
      return ConvertNewline(ctx);
    case 2:
      return DispatchEditLineEnds(ctx, step);
    case 3:
      return ExtractKeywordRange(ctx, StepText(ctx, step.field(2)), StepText(ctx, step.field(3)));
    case 4:
      return ExtractMatchingLines(ctx, StepText(ctx, step.field(2)), StepText(ctx, step.field(4)),
                                  StepText(ctx, step.field(6)), ReadBoolean(step.field(3)),
                                  ReadBoolean(step.field(5)));
    case 5:
      return DispatchDeleteBlanks(ctx, step);
    default:
      return;
  }
}

void RunAll(RunContext& ctx) {
  try {
    try {
      if (ctx.ComboRun) {
        RunCombo(ctx);
      } else {
        RunPlain(ctx);
      }
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
