#include "core/engine_loop.h"
#include "core/engines/engines.h"
#include "core/text/case_fold.h"

namespace kadrel {

namespace {

// Replaces the non-overlapping occurrences of find in line, left to right; the
// search resumes after each inserted replacement, so a replacement that contains
// the search string never loops. haystack is line itself or its case-folded copy.
bool ReplaceAll(const std::u32string& line, const std::u32string& haystack,
                const std::u32string& find, const std::u32string& replacement,
                std::u32string& result) {
  size_t pos = haystack.find(find);
  if (pos == std::u32string::npos) return false;
  result.clear();
  size_t from = 0;
  while (pos != std::u32string::npos) {
    result.append(line, from, pos - from);
    result += replacement;
    from = pos + find.size();
    pos = haystack.find(find, from);
  }
  result.append(line, from, std::u32string::npos);
  return true;
}

}  // namespace

void ReplaceText(RunContext& ctx, const ReplaceParams& params) {
  EngineLoop loop(ctx, ctx.TargetPath);
  ctx.ChangedFlag = 1;
  bool found = false;
  const bool binary = ctx.options.CompMode != 0;
  const std::u32string find = binary ? params.FindStr : FoldCase(params.FindStr);
  std::string bytes;
  std::u32string line, folded, result;
  while (loop.nextRaw(bytes)) {
    bool replaced = false;
    if (!find.empty()) {
      loop.decode(bytes, line);
      if (binary) {
        replaced = ReplaceAll(line, line, find, params.ReplStr, result);
      } else {
        folded = line;
        FoldCaseInPlace(folded);
        replaced = ReplaceAll(line, folded, find, params.ReplStr, result);
      }
    }
    found = found || replaced;
    // An unchanged line goes out as the very bytes it came in as.
    if (!(replaced ? loop.write(result) : loop.writeRaw(bytes))) return;
    if (!loop.yield()) return;
  }
  if (!loop.finished()) return;
  if (!found && ctx.options.UpdateNoFile != 1) ctx.ChangedFlag = 0;
}

}  // namespace kadrel
