#include "core/run_context.h"

namespace kadrel {

void RunContext::closeAll() {
  if (out) out->close();
  out.reset();
  if (in) in->close();
  in.reset();
}

}  // namespace kadrel
