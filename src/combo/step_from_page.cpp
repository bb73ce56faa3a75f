#include "combo/step_from_page.h"

#include <optional>

#include "combo/mode_names.h"
#include "combo/step_description.h"
#include "combo/step_validation.h"
#include "core/conversions.h"

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

// Field 4 of a replacement step: which code replaces the found text.
std::string ReplacementCode(const ModeSettings& s) {
  if (s.TrimTab1 != 0) return "1";
  if (s.TrimCR1 != 0 && s.TrimLF1 != 0) return "4";
  if (s.TrimCR1 != 0) return "2";
  if (s.TrimLF1 != 0) return "3";
  return "0";
}

}  // namespace

StepRecord StepFromPage(const PageValues& page) {
  const ModeSettings& s = page.settings;
  StepRecord step;
  step.add(FormatInteger(s.ModeIdx));
  switch (s.ModeIdx) {
    case 0:
      step.add(Flag(s.TrimTab0));
      step.add(s.TrimChr);
      step.add(ReplacementCode(s));
      step.add(s.ChangeChr);
      break;
    case 2:
      step.add(s.Position == 0 ? "0" : "1");
      step.add(AsNumber(s.ComboCol));
      step.add(FormatInteger(s.ComboAct));
      step.add(s.STRCheck == 0 ? "0" : "1");
      step.add(AsNumber(s.ComboSPCol));
      step.add(s.ADDText);
      step.add(s.ComboLineSt);
      step.add(s.ComboLineSkp);
      break;
    case 3:
      step.add(s.StartChr);
      step.add(s.EndChr);
      break;
    case 4:
      step.add(s.SrcChr0);
      step.add(s.ChkAndOr0 ? "True" : "False");
      step.add(s.SrcChr1);
      step.add(s.ChkAndOr1 ? "True" : "False");
      step.add(s.SrcChr2);
      break;
    case 5:
      step.add(Flag(s.LineDel));
      step.add(Flag(s.SPLineDel));
      step.add(Flag(s.TrimLeft));
      step.add(Flag(s.TrimAll));
      step.add(Flag(s.TrimRight));
      break;
    default:
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

BuiltStep BuildStepFromPage(Host& host, const PageValues& page, CodePage codePage,
                            size_t targetCount, size_t comboStepCount) {
  BuiltStep built;
  built.step = StepFromPage(page);
  if (page.settings.ModeIdx == kComboMode) {
    built.descText = ComboRunDescription(targetCount, comboStepCount);
    built.ready = true;
    return built;
  }
  // With the multi-line text as the replacement, that text is written in place of
  // field 5 and is checked in its place.
  const bool multiLine = page.settings.ModeIdx == 0 && page.multiLineReplacement;
  StepRecord checked = built.step;
  if (multiLine) checked.field(5).clear();
  if (ValidateStep(host, checked, "", codePage) != kStepValid) return built;
  if (multiLine && ValidateMultiLineReplacement(host, page.multiLineText, codePage) != kStepValid)
    return built;
  if (page.settings.ModeIdx == 0) {
    built.step.resize(6);
    built.step.field(6) = multiLine ? "1" : "0";
  }
  built.descText = StepRunDescription(targetCount, built.step);
  built.ready = true;
  return built;
}

}  // namespace kadrel
