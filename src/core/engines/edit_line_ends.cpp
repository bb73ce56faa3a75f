#include <cstdlib>
#include <limits>

#include "core/engine_loop.h"
#include "core/engines/engines.h"
#include "core/run_error.h"
#include "core/text/utf.h"

namespace kadrel {

std::string FormatNumber(int32_t value, const std::string& numberFormat) {
  std::string digits = std::to_string(std::llabs(static_cast<long long>(value)));
  if (digits.size() < numberFormat.size())
    digits.insert(0, numberFormat.size() - digits.size(), '0');
  return value < 0 ? "-" + digits : digits;
}

namespace {

// The running number after one more step. A number beyond the 32-bit range ends
// the run as an overflow rather than wrapping round to a wrong number.
int32_t NextNumber(int32_t number, int32_t step) {
  const int64_t next = static_cast<int64_t>(number) + step;
  if (next < std::numeric_limits<int32_t>::min() || next > std::numeric_limits<int32_t>::max())
    throw MakeRunError(kErrOverflow);
  return static_cast<int32_t>(next);
}

}  // namespace

void EditLineEnds(RunContext& ctx, const EditLineEndsParams& params) {
  EngineLoop loop(ctx, ctx.TargetPath);
  const size_t cut = params.count > 0 ? static_cast<size_t>(params.count) : 0;
  std::u32string insert = params.insertText;
  int32_t number = params.start;
  bool first = true;
  std::u32string line, result;
  while (loop.next(line)) {
    // The first line takes insertText as given (the start number in full); from
    // the second line on the number fills exactly the deleted columns. The next
    // number is made only when a line needs it.
    if (params.numbering && !first) {
      number = NextNumber(number, params.step);
      insert = Utf8ToU32(FormatNumber(number, params.numberFormat));
      if (cut > 0 && insert.size() > cut) insert.erase(0, insert.size() - cut);
    }
    first = false;
    result.clear();
    if (params.atHead) {
      result = insert;
      if (line.size() > cut) result.append(line, cut, std::u32string::npos);
    } else {
      if (line.size() > cut) result.assign(line, 0, line.size() - cut);
      result += insert;
    }
    if (!loop.write(result)) return;
    if (!loop.yield()) return;
  }
}

}  // namespace kadrel
