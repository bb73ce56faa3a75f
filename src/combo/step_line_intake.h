// One line of a COMBO!! file or of the step list file taken into the COMBO!!
// page: blank lines and lines without fields are ignored, comments become
// headings, steps are checked and described. Shared by both loaders.
#pragma once

#include <string>

#include "combo/combo_model.h"
#include "core/host.h"

namespace kadrel {

struct IntakeRules {
  bool limitSteps = false;        // refuse a step beyond kMaxComboSteps (with its box)
  bool commentNeedsText = false;  // a comment without text is a loading failure
};

enum class IntakeResult {
  Next,               // go on with the next line
  Stop,               // the user cancelled a problem box
  LimitReached,       // the step list is full; the limit box has been shown
  CommentWithoutText  // a comment line without its text (commentNeedsText only)
};

IntakeResult TakeStepLine(Host& host, const std::string& line, ComboModel& model,
                          const IntakeRules& rules);

}  // namespace kadrel
