// How a run reads the fields of a step record, one reading per kind of field. The
// engines' parameters (ParseStep) and the step description read through the same
// functions, so that a description says what the run will do. Integers and
// Booleans read with ReadInteger and ReadBoolean (core/conversions.h). A reading
// throws RunError where the run ends: a text that is not a number (13), a number
// out of range (6), a negative count (5).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kadrel {

// A flag: the text as a number, on when it is not 0 ("0.4" is on).
bool FlagIsOn(std::string_view text);

// A flag compared with 1 (the find-side TAB of a replacement): on only when the
// number is exactly 1 ("0.6" and "2" are off).
bool FlagIsOne(std::string_view text);

// A count of characters or spaces: a 16-bit integer (rounded half to even), 0 or more.
int16_t ReadCount(std::string_view text);

// The start of a line numbering: the number, and the width of every number, as
// many "0" as the text has characters ("000100" starts at 100, six wide).
struct NumberingStart {
  int16_t number = 0;
  std::string format;
  std::string firstText() const;  // the first number as it is inserted
};
NumberingStart ReadNumberingStart(std::string_view text);

}  // namespace kadrel
