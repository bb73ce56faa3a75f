#include "combo/combo_export.h"

#include "core/step_mode.h"

namespace kadrel {

MessageBoxRequest ExportRefusalBox() {
  MessageBoxRequest box;
  box.text = "この処理の連続技はできません。";
  box.icon = BoxIcon::Exclamation;
  box.buttons = BoxButtons::Ok;
  return box;
}

std::string BuildExportLine(const StepRecord& step) {
  int last = step.size();
  // A step line never holds where the replacement comes from.
  const int source = static_cast<int>(ReplaceField::ReplacementSource);
  if (!step.empty() && ModeOfExactText(step.modeText()) == StepMode::Replace && last >= source) {
    last = source - 1;
  }
  std::string line;
  for (int k = 1; k <= last; ++k) {
    line += step.field(k);
    line += ',';
  }
  line += '#';
  return line;
}

}  // namespace kadrel
