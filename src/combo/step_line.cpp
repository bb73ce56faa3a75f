#include "combo/step_line.h"

#include <string>

namespace kadrel {

StepRecord SplitStepLine(std::string_view line) {
  StepRecord step;
  // Every comma ends one field; the text after the last comma is the terminator
  // item and is not a field, so a line without a comma has no fields.
  size_t start = 0;
  for (size_t comma = line.find(','); comma != std::string_view::npos;
       comma = line.find(',', start)) {
    step.add(std::string(line.substr(start, comma - start)));
    start = comma + 1;
  }
  return step;
}

}  // namespace kadrel
