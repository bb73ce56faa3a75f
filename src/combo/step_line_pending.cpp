// Placeholder until step lines land.
#include "combo/step_line.h"

#include <string>

namespace kadrel {
StepRecord SplitStepLine(std::string_view line) {
  StepRecord r;
  size_t from = 0;
  for (size_t comma = line.find(','); comma != std::string_view::npos;
       comma = line.find(',', from)) {
    r.add(std::string(line.substr(from, comma - from)));
    from = comma + 1;
  }
  return r;
}
}  // namespace kadrel
