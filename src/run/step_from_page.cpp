#include "run/step_from_page.h"

#include <optional>

#include "combo/step_description.h"
#include "combo/step_validation.h"
#include "core/conversions.h"
#include "core/step_mode.h"

namespace kadrel {

namespace {

std::string Flag(int16_t value) {
  return FormatInteger(value);
}

// A numeric combo box's text read as a number, in decimal; empty when it is none.
std::string AsNumber(const std::string& text) {
  std::optional<int16_t> value = TryReadInteger(text);
  return value ? FormatInteger(*value) : std::string();
}

// What replaces the found text, from the replacement side's check boxes.
ReplacementCode ReplacementCodeOf(const ModeSettings& s) {
  if (s.TrimTab1 != 0) return ReplacementCode::Tab;
  if (s.TrimCR1 != 0 && s.TrimLF1 != 0) return ReplacementCode::CrLf;
  if (s.TrimCR1 != 0) return ReplacementCode::Cr;
  if (s.TrimLF1 != 0) return ReplacementCode::Lf;
  return ReplacementCode::Text;
}

}  // namespace

StepRecord StepFromPage(const PageValues& page) {
  const ModeSettings& s = page.settings;
  StepRecord step;
  step.add(FormatInteger(s.ModeIdx));
  switch (ModeOfNumber(s.ModeIdx).value_or(StepMode::Combo)) {
    case StepMode::Replace:  // fields in ReplaceField order
      step.add(Flag(s.TrimTab0));
      step.add(s.TrimChr);
      step.add(ReplacementCodeText(ReplacementCodeOf(s)));
      step.add(s.ChangeChr);
      break;
    case StepMode::EditLineEnds:  // in EditLineEndsField order
      step.add(s.Position == 0 ? "0" : "1");
      step.add(AsNumber(s.ComboCol));
      step.add(FormatInteger(s.ComboAct));
      step.add(s.STRCheck == 0 ? "0" : "1");
      step.add(AsNumber(s.ComboSPCol));
      step.add(s.ADDText);
      step.add(s.ComboLineSt);
      step.add(s.ComboLineSkp);
      break;
    case StepMode::KeywordRange:
      step.add(s.StartChr);
      step.add(s.EndChr);
      break;
    case StepMode::MatchingLines:
      step.add(s.SrcChr0);
      step.add(s.ChkAndOr0 ? "True" : "False");
      step.add(s.SrcChr1);
      step.add(s.ChkAndOr1 ? "True" : "False");
      step.add(s.SrcChr2);
      break;
    case StepMode::DeleteBlanks:
      step.add(Flag(s.LineDel));
      step.add(Flag(s.SPLineDel));
      step.add(Flag(s.TrimLeft));
      step.add(Flag(s.TrimAll));
      step.add(Flag(s.TrimRight));
      break;
    case StepMode::ConvertNewline:
    case StepMode::Combo:
      break;
  }
  return step;
}

std::string ComboRunDescription(size_t targetCount, size_t comboStepCount) {
  return std::to_string(targetCount) + " File の " + std::to_string(comboStepCount) +
         " 処理連続実行（COMBO!!）を";
}

std::string StepRunDescription(size_t targetCount, const StepRecord& step) {
  return std::to_string(targetCount) + " File の\r\n" + DescribeStep(step) + " を";
}

BuiltStep BuildStepFromPage(Host& host, const PageValues& page, const std::string& multiLineText,
                            CodePage codePage, size_t targetCount, size_t comboStepCount) {
  BuiltStep built;
  built.step = StepFromPage(page);
  if (page.settings.ModeIdx == ModeNumber(StepMode::Combo)) {
    built.descText = ComboRunDescription(targetCount, comboStepCount);
    built.ready = true;
    return built;
  }
  // With the multi-line text as the replacement, that text is written in place of
  // field 5 and is checked in its place.
  const bool replace = page.settings.ModeIdx == ModeNumber(StepMode::Replace);
  const bool multiLine = replace && page.multiLineReplacement;
  StepRecord checked = built.step;
  if (multiLine) checked.field(ReplaceField::ChangeChr).clear();
  if (ValidateStep(host, checked, "", codePage) != StepCheck::Valid) return built;
  if (multiLine && ValidateMultiLineReplacement(host, multiLineText, codePage) != StepCheck::Valid)
    return built;
  if (replace) {
    built.step.resize(static_cast<int>(ReplaceField::ReplacementSource));
    built.step.field(ReplaceField::ReplacementSource) = multiLine ? "1" : "0";
  }
  built.descText = StepRunDescription(targetCount, built.step);
  built.ready = true;
  return built;
}

}  // namespace kadrel
