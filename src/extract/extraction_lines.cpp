#include "extract/extraction_lines.h"

#include "core/engine_loop.h"
#include "core/text/case_fold.h"
#include "core/text/code_page.h"

namespace kadrel {

void UpperCaseForComparison(std::u32string& text) {
  for (char32_t& c : text) {
    if (c < 0x80) {
      if (c >= U'a' && c <= U'z') c -= 0x20;
    } else if (c < 0x3000 || c > 0x9FFF) {
      c = ToUpper(c);
    }
  }
}

ExtractionLines::ExtractionLines(EngineLoop& loop)
    : loop_(loop),
      codec_(loop.reader().codec()),
      upperCase_(loop.context().options.CompMode == 0) {}

bool ExtractionLines::next() {
  if (!loop_.nextRaw(bytes_)) return false;
  ++number_;
  text_.clear();
  codec_.decode(bytes_, text_);
  if (upperCase_) UpperCaseForComparison(text_);
  return true;
}

}  // namespace kadrel
