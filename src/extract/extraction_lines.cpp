#include "extract/extraction_lines.h"

#include "text/code_page.h"

namespace kadrel {

ExtractionLines::ExtractionLines(EngineLoop& loop)
    : loop_(loop), codec_(loop.codec()), upperCase_(!loop.options().caseSensitive) {}

std::optional<ByteNeedle> ExtractionLines::needleFor(const WildcardPattern& pattern) const {
  return NeedleFor(pattern.literals(), codec_, upperCase_ ? CaseRule::Upper : CaseRule::Exact);
}

bool ExtractionLines::pass(NeedleSet& filter, EngineLoop::Pass pass) {
  return loop_.passLines(filter, pass, number_);
}

bool ExtractionLines::pass(NeedleSet& filter,
                           const std::function<bool(int64_t, std::string_view)>& write) {
  int64_t number = number_;
  return loop_.passLines(
      filter, [&](std::string_view bytes) { return write(++number, bytes); }, number_);
}

bool ExtractionLines::next() {
  text_.clear();
  if (!loop_.nextLine(bytes_, whole_)) return false;
  ++number_;
  return true;
}

std::u32string_view ExtractionLines::comparisonText() {
  if (text_.empty() && !bytes_.empty()) {
    codec_.decode(bytes_, text_);
    if (upperCase_) ToUpperInPlace(text_);
  }
  return text_;
}

void ExtractionLines::decodePart(std::string_view bytes, bool last) {
  const std::string_view text = carried_.join(bytes);
  carried_.keepFrom(codec_.decodePart(text, text_, last));
  if (upperCase_) ToUpperInPlace(text_);
}

}  // namespace kadrel
