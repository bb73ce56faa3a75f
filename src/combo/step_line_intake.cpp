#include "combo/step_line_intake.h"

#include "combo/step_description.h"
#include "combo/step_line.h"
#include "combo/step_validation.h"
#include "text/strings.h"

namespace kadrel {

namespace {

void ShowLimitBox(Host& host) {
  MessageBoxRequest box;
  box.text = "COMBO!!処理が200を超えました\r\nこれ以上の展開はできません";
  box.icon = BoxIcon::Critical;
  box.buttons = BoxButtons::Ok;
  host.showMessage(box);
}

}  // namespace

IntakeResult TakeStepLine(Host& host, const std::string& line, ComboModel& model,
                          const IntakeRules& rules, CodePage codePage) {
  if (TrimSpaces(line).empty()) return IntakeResult::Next;
  StepRecord step = SplitStepLine(line);
  if (step.empty()) return IntakeResult::Next;

  // A comment: "#", then its text.
  if (step.modeText() == "#") {
    if (!step.has(2)) {
      return rules.commentNeedsText ? IntakeResult::CommentWithoutText : IntakeResult::Next;
    }
    model.text += "<< " + step.field(2) + " >>\r\n";
    return IntakeResult::Next;
  }

  switch (ValidateStep(host, step, line, codePage)) {
    case StepCheck::Valid:
      break;
    case StepCheck::Cancelled:
      return IntakeResult::Stop;
    case StepCheck::Invalid:
      return IntakeResult::Next;
  }
  if (rules.limitSteps && model.steps.size() >= kMaxComboSteps) {
    ShowLimitBox(host);
    return IntakeResult::LimitReached;
  }
  model.text += DescribeStep(step) + "\r\n";
  model.steps.push_back(line);
  return IntakeResult::Next;
}

}  // namespace kadrel
