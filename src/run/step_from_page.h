// The step of the main window's current settings: the mode page's values turned
// into a step record, checked, and the run confirmation text composed.
#pragma once

#include <cstddef>
#include <string>

#include "core/host.h"
#include "core/step_record.h"
#include "settings/mode_settings.h"
#include "text/code_page.h"

namespace kadrel {

// What the window's mode pages hold: the stored mode settings and the choice of
// the replacement page's source (not stored).
struct PageValues {
  ModeSettings settings;
  bool multiLineReplacement = false;  // "置換後の文章" chosen
};

// The step record of the selected mode, unchecked: field 1 the mode, the other
// fields from the page. A numeric combo box whose text is not a number leaves its
// field empty. COMBO!! mode gives field 1 only.
StepRecord StepFromPage(const PageValues& page);

// The run confirmation texts: "N File の M 処理連続実行（COMBO!!）を" for a COMBO!!
// run, "N File の", CR LF, the step's description and " を" for a single step.
std::string ComboRunDescription(size_t targetCount, size_t comboStepCount);
std::string StepRunDescription(size_t targetCount, const StepRecord& step);

struct BuiltStep {
  bool ready = false;    // false: the check refused the step (its boxes have spoken)
  StepRecord step;       // StepArr
  std::string descText;  // DescText
};

// BuildStepFromWindow without the window: in COMBO!! mode only the confirmation
// ("N File の M 処理連続実行（COMBO!!）を"); otherwise the step is checked through
// host for the code page of the run (with multiLineText, the window's multi-line
// text, when it is the replacement), a replacement step gets field 6 from the
// source choice, and the text is "N File の", CR LF, the step's description, " を".
BuiltStep BuildStepFromPage(Host& host, const PageValues& page, const std::string& multiLineText,
                            CodePage codePage, size_t targetCount, size_t comboStepCount);

}  // namespace kadrel
