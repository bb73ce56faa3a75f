#include "core/step_params.h"

#include "core/conversions.h"
#include "core/engines/engines.h"
#include "core/run_error.h"
#include "core/step_mode.h"
#include "core/text/typed_text.h"
#include "core/text/utf.h"

namespace kadrel {

namespace {

std::u32string Spaces(int16_t count) {
  if (count < 0) throw MakeRunError(kErrInvalidCall);
  return std::u32string(static_cast<size_t>(count), U' ');
}

// A text of the step as the engines take it: typed text meets the code page's own
// characters. The step check refuses a character that the code page cannot hold;
// one that still arrives (the code page was changed after a COMBO!! file was
// loaded) ends the run before the engine writes anything with it, or with the code
// page option "auto" skips the file whose code page cannot hold it.
std::u32string StepText(std::string_view utf8, CodePage cp) {
  std::u32string text = TypedText(utf8, cp);
  if (std::optional<char32_t> c = FirstUnwritable(text, cp)) {
    throw UnwritableTextError(kErrInvalidCall,
                              UnwritableText(cp) + " [ " + CharacterForMessage(*c) + " ]");
  }
  return text;
}

ReplaceParams ParseReplace(const StepRecord& step, std::string_view multiLineReplacement,
                           CodePage cp) {
  using F = ReplaceField;
  ReplaceParams p;
  p.FindStr = ReadFlag(step.field(F::TrimTab0)) == 1 ? U"\t" : StepText(step.field(F::TrimChr), cp);
  if (ReadFlag(step.field(F::ReplacementSource)) != 0) {
    p.ReplStr = StepText(multiLineReplacement, cp);
    return p;
  }
  switch (ReplacementCodeOf(step.field(F::Replacement))) {
    case ReplacementCode::Tab:
      p.ReplStr = U"\t";
      break;
    case ReplacementCode::Cr:
      p.ReplStr = U"\r";
      break;
    case ReplacementCode::Lf:
      p.ReplStr = U"\n";
      break;
    case ReplacementCode::CrLf:
      p.ReplStr = U"\r\n";
      break;
    case ReplacementCode::Text:
      p.ReplStr = StepText(step.field(F::ChangeChr), cp);
      break;
  }
  return p;
}

EditLineEndsParams ParseEditLineEnds(const StepRecord& step, CodePage cp) {
  using F = EditLineEndsField;
  EditLineEndsParams p;
  p.atHead = ReadFlag(step.field(F::Position)) == 0;
  switch (static_cast<HeadTailAction>(ReadInteger(step.field(F::ComboAct)))) {
    case HeadTailAction::InsertText:
      p.insertText = ReadFlag(step.field(F::STRCheck)) != 0
                         ? StepText(step.field(F::ADDText), cp)
                         : Spaces(ReadInteger(step.field(F::ComboSPCol)));
      break;
    case HeadTailAction::InsertNumber:
      p.start = ReadInteger(step.field(F::ComboLineSt));
      p.step = ReadInteger(step.field(F::ComboLineSkp));
      p.numberFormat.assign(CodePointCount(step.field(F::ComboLineSt)), '0');
      p.insertText = Utf8ToU32(FormatNumber(p.start, p.numberFormat));
      p.numbering = true;
      break;
    default:  // delete only, or an action the check would have refused
      break;
  }
  p.count = ReadInteger(step.field(F::ComboCol));
  if (p.count < 0) throw MakeRunError(kErrInvalidCall);
  return p;
}

KeywordRangeParams ParseKeywordRange(const StepRecord& step, CodePage cp) {
  using F = KeywordRangeField;
  KeywordRangeParams p;
  p.startKey = StepText(step.field(F::StartChr), cp);
  p.endKey = StepText(step.field(F::EndChr), cp);
  return p;
}

MatchingLinesParams ParseMatchingLines(const StepRecord& step, CodePage cp) {
  using F = MatchingLinesField;
  MatchingLinesParams p;
  p.first = StepText(step.field(F::SrcChr0), cp);
  p.firstIsAnd = ReadBoolean(step.field(F::ChkAndOr0));
  p.second = StepText(step.field(F::SrcChr1), cp);
  p.secondIsAnd = ReadBoolean(step.field(F::ChkAndOr1));
  p.third = StepText(step.field(F::SrcChr2), cp);
  return p;
}

DeleteBlanksParams ParseDeleteBlanks(const StepRecord& step) {
  using F = DeleteBlanksField;
  DeleteBlanksParams p;
  p.lineDel = ReadFlag(step.field(F::LineDel)) != 0;
  p.spaceLineDel = ReadFlag(step.field(F::SPLineDel)) != 0 && p.lineDel;
  p.trimLeft = ReadFlag(step.field(F::TrimLeft)) != 0;
  p.trimAll = ReadFlag(step.field(F::TrimAll)) != 0;
  p.trimRight = ReadFlag(step.field(F::TrimRight)) != 0;
  return p;
}

}  // namespace

std::optional<StepParams> ParseStep(const StepRecord& step, std::string_view multiLineReplacement,
                                    CodePage codePage) {
  const std::optional<StepMode> mode = ModeOfNumber(ReadInteger(step.modeText()));
  if (!mode) return std::nullopt;
  switch (*mode) {
    case StepMode::Replace:
      return ParseReplace(step, multiLineReplacement, codePage);
    case StepMode::ConvertNewline:
      return ConvertNewlineParams{};
    case StepMode::EditLineEnds:
      return ParseEditLineEnds(step, codePage);
    case StepMode::KeywordRange:
      return ParseKeywordRange(step, codePage);
    case StepMode::MatchingLines:
      return ParseMatchingLines(step, codePage);
    case StepMode::DeleteBlanks:
      return ParseDeleteBlanks(step);
    case StepMode::Combo:
      break;
  }
  return std::nullopt;
}

}  // namespace kadrel
