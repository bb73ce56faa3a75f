#include "extract/extraction_lines.h"

#include "text/code_page.h"

namespace kadrel {

ExtractionLines::ExtractionLines(EngineLoop& loop)
    : loop_(loop), codec_(loop.codec()), upperCase_(!loop.options().caseSensitive) {}

KeywordFinder ExtractionLines::finderFor(const WildcardPattern& pattern) const {
  return KeywordFinder(pattern, codec_, upperCase_, loop_.fastPaths());
}

bool ExtractionLines::holds(KeywordFinder& finder) {
  return finder.foundIn(bytes_, [this] { return comparisonText(); });
}

bool ExtractionLines::holdsIn(std::string_view line, KeywordFinder& finder) {
  return finder.foundIn(line, [&]() -> std::u32string_view {
    passedText_.clear();
    decodeComparison(line, passedText_);
    return passedText_;
  });
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
  if (text_.empty() && !bytes_.empty()) decodeComparison(bytes_, text_);
  return text_;
}

void ExtractionLines::decodeComparison(std::string_view bytes, std::u32string& out) const {
  codec_.decode(bytes, out);
  if (upperCase_) ToUpperInPlace(out);
}

void ExtractionLines::decodePart(std::string_view bytes, bool last) {
  const std::string_view text = carried_.join(bytes);
  carried_.keepFrom(codec_.decodePart(text, text_, last));
  if (upperCase_) ToUpperInPlace(text_);
}

}  // namespace kadrel
