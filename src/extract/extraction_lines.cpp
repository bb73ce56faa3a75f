#include "extract/extraction_lines.h"

#include "core/engine_loop.h"
#include "core/text/case_fold.h"
#include "core/text/code_page.h"

namespace kadrel {

ExtractionLines::ExtractionLines(EngineLoop& loop)
    : loop_(loop),
      codec_(loop.reader().codec()),
      upperCase_(loop.context().options.CompMode == 0) {}

bool ExtractionLines::next() {
  if (!loop_.nextRaw(bytes_)) return false;
  ++number_;
  text_.clear();
  codec_.decode(bytes_, text_);
  if (upperCase_) ToUpperInPlace(text_);
  return true;
}

}  // namespace kadrel
