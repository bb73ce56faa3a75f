// The input as the extraction engines see it: each line's bytes (written to the
// result unchanged), its number from 1, and its comparison text: the decoded line,
// upper-cased when CompMode is 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kadrel {

class EngineLoop;
class TextCodec;

class ExtractionLines {
 public:
  explicit ExtractionLines(EngineLoop& loop);

  // Reads the next line. False at the end of the input or after a read failure
  // (reported by the loop; loop.finished() tells which).
  bool next();

  std::string_view bytes() const { return bytes_; }
  std::u32string_view comparisonText() const { return text_; }
  int64_t number() const { return number_; }

 private:
  EngineLoop& loop_;
  const TextCodec& codec_;
  bool upperCase_;
  std::string bytes_;
  std::u32string text_;
  int64_t number_ = 0;
};

}  // namespace kadrel
