#include "core/step_params.h"

#include "core/conversions.h"
#include "core/run_error.h"
#include "core/step_fields.h"
#include "core/step_mode.h"
#include "text/typed_text.h"
#include "text/utf.h"

namespace kadrel {

namespace {

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
  p.FindStr = FlagIsOne(step.field(F::TrimTab0)) ? U"\t" : StepText(step.field(F::TrimChr), cp);
  if (FlagIsOn(step.field(F::ReplacementSource))) {
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
  p.atHead = !FlagIsOn(step.field(F::Position));
  switch (static_cast<HeadTailAction>(ReadInteger(step.field(F::ComboAct)))) {
    case HeadTailAction::InsertText:
      p.insertText = FlagIsOn(step.field(F::STRCheck))
                         ? StepText(step.field(F::ADDText), cp)
                         : std::u32string(ReadCount(step.field(F::ComboSPCol)), U' ');
      break;
    case HeadTailAction::InsertNumber: {
      const NumberingStart start = ReadNumberingStart(step.field(F::ComboLineSt));
      p.start = start.number;
      p.step = ReadInteger(step.field(F::ComboLineSkp));
      p.numberFormat = start.format;
      p.insertText = Utf8ToU32(start.firstText());
      p.numbering = true;
      break;
    }
    default:  // delete only, or an action the check would have refused
      break;
  }
  p.count = ReadCount(step.field(F::ComboCol));
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
  p.lineDel = FlagIsOn(step.field(F::LineDel));
  p.spaceLineDel = FlagIsOn(step.field(F::SPLineDel)) && p.lineDel;
  p.trimLeft = FlagIsOn(step.field(F::TrimLeft));
  p.trimAll = FlagIsOn(step.field(F::TrimAll));
  p.trimRight = FlagIsOn(step.field(F::TrimRight));
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
