#include "core/engine_loop.h"
#include "core/engines/engines.h"

namespace kadrel {

namespace {

bool IsSpace(char32_t c) {
  return c == U' ' || c == U'\u3000';
}

size_t LeadingSpaces(const std::u32string& s) {
  size_t i = 0;
  while (i < s.size() && IsSpace(s[i])) ++i;
  return i;
}

size_t TrailingSpaces(const std::u32string& s) {
  size_t i = 0;
  while (i < s.size() && IsSpace(s[s.size() - 1 - i])) ++i;
  return i;
}

}  // namespace

void DeleteBlanks(RunContext& ctx, const DeleteBlanksParams& params) {
  const auto& [lineDel, spaceLineDel, trimLeft, trimAll, trimRight] = params;
  EngineLoop loop(ctx, ctx.TargetPath);
  std::u32string line;
  while (loop.next(line)) {
    // Whether the line stays is decided on the line as read, before any trimming.
    bool keep = true;
    if (lineDel) keep = spaceLineDel ? LeadingSpaces(line) < line.size() : !line.empty();
    if (keep) {
      if (trimLeft || trimAll) line.erase(0, LeadingSpaces(line));
      if (trimRight || trimAll) line.erase(line.size() - TrailingSpaces(line));
      if (trimAll) std::erase_if(line, IsSpace);
      if (!loop.write(line)) return;
    }
    if (!loop.yield()) return;
  }
}

}  // namespace kadrel
