#include "core/run_context.h"

namespace kadrel {

void RunContext::closeAll() {
  if (out) out->close();
  out.reset();
  if (in) in->close();
  in.reset();
}

FileEncoding RunContext::readEncoding() const {
  return options.codePage.automatic ? targetEncoding : FileEncoding{options.codePage.fixed, false};
}

FileEncoding RunContext::writeEncoding() const {
  return options.codePage.automatic ? outputEncoding : FileEncoding{options.codePage.fixed, false};
}

}  // namespace kadrel
