#include "run/run_context.h"

namespace kadrel {

DropPath RunContext::targetName(size_t i) const {
  return derivedName(i, targets.at(i));
}

DropPath RunContext::derivedName(size_t i, const std::string& path) const {
  return {path, i < targetScanRoots.size() ? targetScanRoots[i] : 0,
          i < targetDroppedFolders.size() ? targetDroppedFolders[i] : nullptr};
}

}  // namespace kadrel
