#include "core/step_fields.h"

#include "core/conversions.h"
#include "core/engines/engines.h"
#include "core/run_error.h"
#include "text/utf.h"

namespace kadrel {

bool FlagIsOn(std::string_view text) {
  return ReadFlag(text) != 0;
}

bool FlagIsOne(std::string_view text) {
  return ReadFlag(text) == 1;
}

int16_t ReadCount(std::string_view text) {
  const int16_t count = ReadInteger(text);
  if (count < 0) throw MakeRunError(kErrInvalidCall);
  return count;
}

std::string NumberingStart::firstText() const {
  return FormatNumber(number, format);
}

NumberingStart ReadNumberingStart(std::string_view text) {
  NumberingStart start;
  start.number = ReadInteger(text);
  start.format.assign(CodePointCount(text), '0');
  return start;
}

}  // namespace kadrel
