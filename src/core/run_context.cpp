#include "core/run_context.h"

#include <algorithm>
#include <tuple>

namespace kadrel {

void RunContext::closeAll() {
  if (out) std::ignore = out->close();
  out.reset();
  if (in) in->close();
  in.reset();
}

bool RunContext::isListedTarget(const std::string& path) const {
  return std::find(targets.begin(), targets.end(), path) != targets.end();
}

}  // namespace kadrel
