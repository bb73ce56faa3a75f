#include "extract/keyword_finder.h"

#include <algorithm>

namespace kadrel {

namespace {

constexpr size_t npos = std::string_view::npos;

}  // namespace

KeywordFinder::KeywordFinder(const WildcardPattern& pattern, const TextCodec& codec, bool upperCase,
                             bool fastPaths)
    : pattern_(pattern),
      codec_(codec),
      needle_(NeedleFor(pattern.literals(), codec, upperCase ? CaseRule::Upper : CaseRule::Exact)),
      fastPaths_(fastPaths),
      window_(codec, upperCase ? CaseRule::Upper : CaseRule::Exact) {
  if (!fastPaths || !needle_ || pattern.foundLength() == 0) return;
  const CaseRule rule = upperCase ? CaseRule::Upper : CaseRule::Exact;
  span_ = pattern.foundLength() * codec.maxCodeLength();
  const std::vector<std::u32string> literals = pattern.literals();
  exact_ = literals.size() == 1 && literals[0].size() == pattern.foundLength() &&
           NeedleIsExact(literals[0], codec, rule);
}

bool KeywordFinder::foundIn(std::string_view bytes,
                            const std::function<std::u32string_view()>& text) {
  if (!fastPaths_ || !needle_) return pattern_.foundIn(text());
  if (!confirmsByWindow()) return needle_->find(bytes) != npos && pattern_.foundIn(text());
  size_t from = 0, known = 0;
  return confirmIn(bytes, true, from, known);
}

bool KeywordFinder::confirmIn(std::string_view text, bool textEnds, size_t& from, size_t& known) {
  for (;;) {
    const size_t candidate = needle_->find(text, from);
    if (candidate == npos) {
      // Not before the first place where the needle does not fit whole yet.
      from = std::max(from, text.size() - std::min(text.size(), needle_->size() - 1));
      return false;
    }
    const size_t to = exact_ ? candidate : candidate + span_;
    if (!textEnds && to + codec_.maxCodeLength() > text.size()) {
      from = candidate;  // the bytes that decide it are yet to come
      return false;
    }
    if (exact_) {  // the keyword stands where its needle stands at a character start
      known = codec_.charStartAtOrBefore(text, candidate, known);
      if (known == candidate) return true;
      from = candidate + 1;
      continue;
    }
    // A place holding the candidate begins less than span_ bytes before it, and
    // not before known (where the place of an earlier candidate might begin).
    window_.decode(text, std::max(known, candidate - std::min(candidate, span_)), known, to,
                   textEnds);
    if (pattern_.foundIn(window_.chars())) return true;
    known = window_.begin();
    // A place holding a candidate before this lies wholly in the stretch.
    from = std::max(candidate + 1, window_.end() - std::min(window_.end(), span_));
  }
}

KeywordFinder::Search::Search(KeywordFinder& finder) : finder_(finder) {}

bool KeywordFinder::Search::feed(std::string_view bytes, bool last, std::u32string_view chars) {
  if (found_) return true;
  if (!finder_.confirmsByWindow()) {
    if (!byText_) byText_.emplace(finder_.pattern_);
    found_ = byText_->feed(chars);
    return found_;
  }
  const std::string_view text = carried_.join(bytes);
  size_t from = searchFrom_, known = 0;
  found_ = finder_.confirmIn(text, last, from, known);
  if (found_ || last) return found_;
  // The bytes where a place not yet confirmed may begin wait for the next part.
  const size_t wait = std::max(known, from - std::min(from, finder_.span_));
  const size_t kept = finder_.codec_.charStartAtOrBefore(text, wait, known);
  carried_.keepFrom(kept);
  searchFrom_ = from - kept;
  return false;
}

}  // namespace kadrel
