#include "core/step_mode.h"

namespace kadrel {

std::optional<StepMode> ModeOfNumber(int n) {
  if (n < 0 || n >= kModeCount) return std::nullopt;
  return static_cast<StepMode>(n);
}

std::optional<StepMode> ModeOfExactText(std::string_view text) {
  if (text.size() != 1 || text[0] < '0' || text[0] > '9') return std::nullopt;
  return ModeOfNumber(text[0] - '0');
}

std::string ModeText(StepMode mode) {
  return std::to_string(ModeNumber(mode));
}

bool RewritesTarget(StepMode mode) {
  switch (mode) {
    case StepMode::Replace:
    case StepMode::ConvertNewline:
    case StepMode::EditLineEnds:
    case StepMode::DeleteBlanks:
      return true;
    default:
      return false;
  }
}

bool Extracts(StepMode mode) {
  return mode == StepMode::KeywordRange || mode == StepMode::MatchingLines;
}

int StepFieldCount(StepMode mode) {
  switch (mode) {
    case StepMode::Replace:
      return 5;
    case StepMode::ConvertNewline:
      return 1;
    case StepMode::EditLineEnds:
      return 9;
    case StepMode::KeywordRange:
      return 3;
    case StepMode::MatchingLines:
    case StepMode::DeleteBlanks:
      return 6;
    case StepMode::Combo:
      break;
  }
  return 0;
}

ReplacementCode ReplacementCodeOf(std::string_view fieldText) {
  if (fieldText == "1") return ReplacementCode::Tab;
  if (fieldText == "2") return ReplacementCode::Cr;
  if (fieldText == "3") return ReplacementCode::Lf;
  if (fieldText == "4") return ReplacementCode::CrLf;
  return ReplacementCode::Text;
}

std::string ReplacementCodeText(ReplacementCode code) {
  return std::to_string(static_cast<int>(code));
}

}  // namespace kadrel
