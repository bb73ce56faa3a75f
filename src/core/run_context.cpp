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

FileEncoding RunContext::readEncoding() const {
  return options.codePage.automatic ? targetEncoding : FileEncoding{options.codePage.fixed, false};
}

FileEncoding RunContext::writeEncoding() const {
  return options.codePage.automatic ? outputEncoding : FileEncoding{options.codePage.fixed, false};
}

}  // namespace kadrel
