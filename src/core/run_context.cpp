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

DropPath RunContext::targetName(size_t i) const {
  return derivedName(i, targets.at(i));
}

DropPath RunContext::derivedName(size_t i, const std::string& path) const {
  return {path, i < targetScanRoots.size() ? targetScanRoots[i] : 0};
}

}  // namespace kadrel
