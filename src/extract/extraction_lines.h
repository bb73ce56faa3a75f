// The input as the extraction engines see it: each line's bytes (written to the
// result unchanged), its number from 1, and its comparison text: the decoded line,
// upper-cased unless case is told apart.
//
// With the engine loop's fast paths, the lines in which no keyword's needle finds
// a candidate are passed over undecoded (their numbers still count), and a line
// longer than the reading buffer comes in parts.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/engine_loop.h"
#include "extract/wildcard.h"
#include "text/byte_search.h"
#include "text/case_fold.h"

namespace kadrel {

class ExtractionLines {
 public:
  explicit ExtractionLines(EngineLoop& loop);

  // The needle of a keyword's pattern; nothing when it has none (every line may
  // hold a match).
  std::optional<ByteNeedle> needleFor(const WildcardPattern& pattern) const;

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

  // A line that next() gave in part, from its first part on: part(bytes, chars)
  // for each part, with the comparison text of the characters that the parts so
  // far decide. part returns whether it needs those further; once it does not,
  // the parts come as bytes only. False after a read failure (reported).
  template <typename PartFn>
  bool readParts(PartFn&& part);

 private:
  void decodePart(std::string_view bytes, bool last);

  EngineLoop& loop_;
  const TextCodec& codec_;
  bool upperCase_;
  std::string_view bytes_;
  bool whole_ = true;
  std::u32string text_;
  CarriedBytes carried_;  // the undecided end of the part before
  int64_t number_ = 0;
};

template <typename PartFn>
bool ExtractionLines::readParts(PartFn&& part) {
  bool decoding = true;
  carried_.clear();
  return loop_.feedLine(bytes_, false, [&](std::string_view bytes, bool last) {
    text_.clear();
    if (decoding) decodePart(bytes, last);
    decoding = part(bytes, std::u32string_view(text_)) && decoding;
    return true;
  });
}

}  // namespace kadrel
