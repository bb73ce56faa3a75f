#include <optional>
#include <vector>

#include "core/engine_loop.h"
#include "core/engines/engines.h"
#include "text/byte_search.h"
#include "text/case_fold.h"

namespace kadrel {

namespace {

// Replaces the non-overlapping occurrences of the search string in a line, left
// to right; the search resumes after each replacement, so a replacement that
// contains the search string never loops. The output is the line's own bytes with
// the matched stretches replaced: every character kept keeps its code.
//
// The line comes in one or more parts (a line longer than the reading buffer),
// each decoded as far as it decides characters; a match may run over a part's
// end, so the last characters that could begin one wait for the next part.
class LineReplacer {
 public:
  LineReplacer(EngineLoop& loop, const ReplaceParams& params, bool binary)
      : loop_(loop),
        codec_(loop.codec()),
        binary_(binary),
        find_(binary ? params.FindStr : FoldCase(params.FindStr)),
        replacement_(codec_.encode(params.ReplStr)) {}

  bool searches() const { return !find_.empty(); }
  const std::u32string& find() const { return find_; }
  bool replaced() const { return replaced_; }

  // Writes the line's next part; last with its last part (then the line end).
  // False after a write failure (reported).
  bool feed(std::string_view part, bool last) {
    const std::string_view text = carried_.join(part);
    chars_.clear();
    starts_.clear();
    const size_t decided = codec_.decodePart(text, chars_, last, &starts_);
    if (!binary_) FoldCaseInPlace(chars_);
    // Where the character at index k starts in text.
    auto byteOf = [&](size_t k) { return k < starts_.size() ? starts_[k] : decided; };
    size_t written = 0;  // bytes of text out
    size_t at = 0;       // characters of text out
    for (size_t pos = chars_.find(find_); pos != std::u32string::npos;
         pos = chars_.find(find_, at)) {
      if (!loop_.writeBytes(text.substr(written, byteOf(pos) - written)) ||
          !loop_.writeBytes(replacement_))
        return false;
      replaced_ = true;
      at = pos + find_.size();
      written = byteOf(at);
    }
    if (last) {
      const bool ok = loop_.writeBytes(text.substr(written)) && loop_.endLine();
      carried_.keepFrom(text.size());
      return ok;
    }
    // Characters that may begin a match ending in the next part wait for it, and
    // so do bytes not yet decided.
    const size_t kept =
        byteOf(std::max(at, chars_.size() - std::min(chars_.size(), find_.size() - 1)));
    if (!loop_.writeBytes(text.substr(written, kept - written))) return false;
    carried_.keepFrom(kept);
    return true;
  }

 private:
  EngineLoop& loop_;
  const TextCodec& codec_;
  const bool binary_;
  const std::u32string find_;
  const std::string replacement_;
  bool replaced_ = false;
  CarriedBytes carried_;          // the undecided end of the last part
  std::u32string chars_;          // decoded (and folded) characters of the part at hand
  std::vector<uint32_t> starts_;  // where each of them starts in the part
};

}  // namespace

void ReplaceText(EngineIo& io, const ReplaceParams& params) {
  EngineLoop loop(io);
  io.ChangedFlag = true;
  const bool binary = io.options.caseSensitive;
  LineReplacer replacer(loop, params, binary);
  // Lines in which no code of the search string may stand are copied undecoded.
  std::optional<ByteNeedle> needle;
  NeedleSet filter;
  if (replacer.searches()) {
    needle = NeedleFor({replacer.find()}, loop.codec(), binary ? CaseRule::Exact : CaseRule::Fold);
    if (needle) filter.add(*needle);
  }
  int64_t passed = 0;
  std::string_view line;
  bool whole = true;
  for (;;) {
    if (!filter.empty() && !loop.passLines(filter, EngineLoop::Pass::Copy, passed)) return;
    if (!loop.nextLine(line, whole)) break;
    const bool fed = loop.feedLine(line, whole, [&](std::string_view bytes, bool last) {
      if (replacer.searches()) return replacer.feed(bytes, last);
      return loop.writeBytes(bytes) && (!last || loop.endLine());
    });
    if (!fed || !loop.yield()) return;
  }
  if (!loop.finished()) return;
  if (!replacer.replaced() && !io.options.updateNoFile) io.ChangedFlag = false;
}

}  // namespace kadrel
