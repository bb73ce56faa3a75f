// One line of a COMBO!! file or of the step list file taken into the COMBO!!
// page: blank lines and lines without fields are ignored, comments become
// headings, steps are checked and described. Shared by both loaders.
#pragma once

#include <string>
#include <string_view>

#include "combo/combo_model.h"
#include "core/host.h"
#include "io/line_io.h"
#include "text/code_page.h"
#include "text/utf.h"

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

// codePage: the code page the steps will write (their texts are checked against it).
IntakeResult TakeStepLine(Host& host, const std::string& line, ComboModel& model,
                          const IntakeRules& rules, CodePage codePage);

// Reads the lines of a COMBO!! or step list file, in UTF-8: a line ends at CR,
// CR LF or LF (editors on Linux end lines with LF alone). take(line) returns
// false to stop reading. False after a read failure (reader.error() tells it).
template <typename TakeFn>
bool ReadStepLines(LineReader& reader, TakeFn&& take) {
  std::u32string line;
  while (!reader.atEnd()) {
    if (!reader.readLine(line)) return false;
    const std::string text = U32ToUtf8(line);
    std::string_view rest = text;
    for (size_t lf = rest.find('\n');; lf = rest.find('\n')) {
      if (!take(std::string(rest.substr(0, lf)))) return true;
      if (lf == std::string_view::npos) break;
      rest.remove_prefix(lf + 1);
    }
  }
  return true;
}

}  // namespace kadrel
