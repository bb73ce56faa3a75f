#include "core/step_record.h"

#include "core/run_error.h"

namespace kadrel {

const std::string& StepRecord::field(int k) const {
  if (!has(k)) throw MakeRunError(kErrSubscript);
  return fields_[static_cast<size_t>(k - 1)];
}

std::string& StepRecord::field(int k) {
  if (!has(k)) throw MakeRunError(kErrSubscript);
  return fields_[static_cast<size_t>(k - 1)];
}

}  // namespace kadrel
