// The extraction result file: the one place that formats it. Per target file a
// block of header lines and a ruler, the extracted lines, then a ruler, the
// counts and (for a joint result file of several targets) a separator.
//
// Header and trailer are "additional information": written only outside a COMBO!!
// run and when SelAddSts is 0 (EngineOptions::resultHeaders). Every write is checked; a failure is
// reported as a write failure of the result file and the caller stops.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kadrel {

class EngineLoop;

// The ruler under the header and above the counts; with line numbers it starts
// with "LINE ", as wide as the line number field.
std::u32string_view ResultRuler(bool withLineNumbers);

// The field in front of a body line: the last four digits of the line number,
// right-aligned in four characters, and a space ("   7 ", "9999 ", "0000 ").
std::string LineNumberField(int64_t lineNumber);

class ResultWriter {
 public:
  explicit ResultWriter(EngineLoop& loop);

  bool additionalInformation() const { return additional_; }

  // Keyword range extraction: target, both keywords as the step holds them, ruler.
  bool writeRangeHeader(std::u32string_view startKey, std::u32string_view endKey);
  // Ruler, both keyword counts and the line count, separator.
  bool writeRangeTrailer(int64_t startHits, int64_t endHits, int64_t linesWritten);

  // Multi-string extraction: target, the search expression, ruler.
  bool writeMatchHeader(std::u32string_view expressionText);
  // Ruler and the line count, separator.
  bool writeMatchTrailer(int64_t linesWritten);

  // An extracted line, as read (its bytes), after its line number when AddLineNo is 1.
  bool writeBody(int64_t lineNumber, std::string_view lineBytes);
  // The start of an extracted line that is written in parts: its line number when
  // AddLineNo is 1. The bytes and the line end follow through the loop.
  bool beginBody(int64_t lineNumber);

 private:
  bool writeHeader(std::u32string_view targetLabel, std::initializer_list<std::u32string> lines);
  bool writeTrailer(std::initializer_list<std::u32string> countLines);

  EngineLoop& loop_;
  bool additional_;
  bool lineNumbers_;
  bool separator_;
};

}  // namespace kadrel
