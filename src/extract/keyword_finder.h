// Whether a keyword is found in a line, told from the line's bytes as far as they
// can tell it. With the fast paths and a keyword that has a needle, a line in which
// the needle stands nowhere is not decoded at all; where the keyword's matches are
// all of one length (stars at its ends only), only the stretches around the
// needle's places are decoded to confirm them. Otherwise the line's comparison
// text decides: decoded whole, once for all the keywords of a line.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/engine_loop.h"
#include "extract/wildcard.h"
#include "text/byte_search.h"
#include "text/candidate_window.h"
#include "text/code_page.h"

namespace kadrel {

class KeywordFinder {
 public:
  // pattern must outlive the finder. upperCase: the pattern is upper-cased and so
  // is the text it is looked for in (CompMode 0).
  KeywordFinder(const WildcardPattern& pattern, const TextCodec& codec, bool upperCase,
                bool fastPaths);

  // The needle that every line holding the keyword holds (for the prefilter).
  const std::optional<ByteNeedle>& needle() const { return needle_; }

  // True when the keyword is found in the whole line `bytes`; text() gives the
  // line's comparison text, for when the bytes do not tell.
  bool foundIn(std::string_view bytes, const std::function<std::u32string_view()>& text);

  // The keyword looked for in a line that comes in parts.
  class Search {
   public:
    explicit Search(KeywordFinder& finder);
    // Whether the search needs the parts' characters (see feed).
    bool needsCharacters() const { return !finder_.confirmsByWindow() && !found_; }
    // Feeds the line's next part (last: its last one), and its characters as far
    // as the parts so far decide them when needsCharacters(); true once found.
    bool feed(std::string_view bytes, bool last, std::u32string_view chars);
    bool found() const { return found_; }

   private:
    KeywordFinder& finder_;
    std::optional<WildcardPattern::Search> byText_;
    CarriedBytes carried_;   // the bytes where a place not yet confirmed may begin
    size_t searchFrom_ = 0;  // in carried_ + the next part: where the needle is looked for
    bool found_ = false;
  };

 private:
  bool confirmsByWindow() const { return span_ != 0; }
  // The needle's places in text from `from` on, each confirmed or dismissed from
  // the characters around it, while those lie in text (wholly, unless textEnds).
  // True once one is confirmed; otherwise *next is where to look next and *known a
  // character start at or before every place still to confirm.
  bool confirmIn(std::string_view text, bool textEnds, size_t& from, size_t& known);

  const WildcardPattern& pattern_;
  const TextCodec& codec_;
  std::optional<ByteNeedle> needle_;
  const bool fastPaths_;
  size_t span_ = 0;     // the most bytes a place where the keyword is found takes; 0: no windows
  bool exact_ = false;  // the needle stands at a character start only where the keyword does
  CandidateWindow window_;
};

}  // namespace kadrel
