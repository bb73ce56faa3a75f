// A step as the engines take it: per mode a parameter struct, parsed once from
// the step record with the readings of the dispatcher.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/step_record.h"
#include "text/code_page.h"

namespace kadrel {

struct ReplaceParams {
  std::u32string FindStr;  // never empty for a checked step; empty finds nothing
  std::u32string ReplStr;
};

struct ConvertNewlineParams {};

struct EditLineEndsParams {
  bool atHead = true;  // false: at the line end
  int16_t count = 0;   // characters deleted at that end
  // Put in their place: on every line, or (numbering) on the first line, the
  // later lines taking the next numbers.
  std::u32string insertText;
  bool numbering = false;
  int32_t start = 0;
  int32_t step = 0;
  std::string numberFormat;  // as many "0" as the start number's text has characters
};

struct KeywordRangeParams {
  std::u32string startKey;
  std::u32string endKey;
};

struct MatchingLinesParams {
  std::u32string first;
  std::u32string second;
  std::u32string third;
  bool firstIsAnd = true;   // joining the first and the second string
  bool secondIsAnd = true;  // joining those and the third
};

struct DeleteBlanksParams {
  bool lineDel = false;
  bool spaceLineDel = false;  // only with lineDel
  bool trimLeft = false;
  bool trimAll = false;
  bool trimRight = false;
};

// One alternative per mode 0..5, in mode order.
using StepParams = std::variant<ReplaceParams, ConvertNewlineParams, EditLineEndsParams,
                                KeywordRangeParams, MatchingLinesParams, DeleteBlanksParams>;

// The engine parameters of a step record: field 1 read as an integer chooses the
// mode (nothing for COMBO!! or a number outside the modes), the other fields are
// read in the order of the step line. The step's texts are typed text meeting the
// code page. A field that is missing or does not convert, or a text the code page
// cannot hold, throws RunError, ending the run. multiLineReplacement is the
// replacement of a step whose field 6 is non-zero.
std::optional<StepParams> ParseStep(const StepRecord& step, std::string_view multiLineReplacement,
                                    CodePage codePage);

}  // namespace kadrel
