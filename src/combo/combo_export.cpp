#include "combo/combo_export.h"

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
  if (!step.empty() && step.field(1) == "0" && last > 5) last = 5;
  std::string line;
  for (int k = 1; k <= last; ++k) {
    line += step.field(k);
    line += ',';
  }
  line += '#';
  return line;
}

}  // namespace kadrel
