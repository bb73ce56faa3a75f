// The input as the extraction engines see it: each line's bytes (written to the
// result unchanged), its number from 1, and its comparison text: the decoded line,
// upper-cased unless case is told apart.
//
// With the engine loop's fast paths, the lines in which no keyword's needle finds
// a candidate are passed over undecoded (their numbers still count), a line
// longer than the reading buffer comes in parts, and a keyword finder tells from
// the bytes of most lines whether its keyword is in them (see keyword_finder.h).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/engine_loop.h"
#include "extract/keyword_finder.h"
#include "extract/wildcard.h"
#include "text/byte_search.h"
#include "text/case_fold.h"

namespace kadrel {

class ExtractionLines {
 public:
  explicit ExtractionLines(EngineLoop& loop);

  // A finder of the keyword's pattern in these lines (pattern must outlive it).
  KeywordFinder finderFor(const WildcardPattern& pattern) const;
  // Whether the finder's keyword is in the whole line at hand, or in a line
  // passed over (its bytes).
  bool holds(KeywordFinder& finder);
  bool holdsIn(std::string_view line, KeywordFinder& finder);

  // Passes the lines ahead in which filter finds no candidate (see
  // EngineLoop::passLines): dropped, copied, or each written by
  // write(number, bytes). False when the engine must stop.
  bool pass(NeedleSet& filter, EngineLoop::Pass pass);
  bool pass(NeedleSet& filter, const std::function<bool(int64_t, std::string_view)>& write);

  // Reads the next line. False at the end of the input or after a read failure
  // (reported by the loop; loop.finished() tells which).
  bool next();
  // Whether bytes() is the whole line, or its first part (see readParts).
  bool whole() const { return whole_; }
  std::string_view bytes() const { return bytes_; }
  // The comparison text of a whole line.
  std::u32string_view comparisonText();
  int64_t number() const { return number_; }

  // A line that next() gave in part, from its first part on: part(bytes, last,
  // chars) for each part (last: the line's last), with the comparison text of the
  // characters that the parts so far decide while they are needed: needed says
  // whether the first part's are; part returns whether the next part's are, and
  // once they are not, those of none after. False after a read failure (reported).
  template <typename PartFn>
  bool readParts(bool needed, PartFn&& part);

 private:
  void decodePart(std::string_view bytes, bool last);
  // Appends the comparison text of bytes to out.
  void decodeComparison(std::string_view bytes, std::u32string& out) const;

  EngineLoop& loop_;
  const TextCodec& codec_;
  bool upperCase_;
  std::string_view bytes_;
  bool whole_ = true;
  std::u32string text_;
  std::u32string passedText_;  // the comparison text of a line passed over
  CarriedBytes carried_;       // the undecided end of the part before
  int64_t number_ = 0;
};

template <typename PartFn>
bool ExtractionLines::readParts(bool needed, PartFn&& part) {
  bool decoding = needed;
  carried_.clear();
  return loop_.feedLine(bytes_, false, [&](std::string_view bytes, bool last) {
    text_.clear();
    if (decoding) decodePart(bytes, last);
    decoding = part(bytes, last, std::u32string_view(text_)) && decoding;
    return true;
  });
}

}  // namespace kadrel
