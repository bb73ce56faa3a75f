#include <optional>
#include <vector>

#include "core/engine_loop.h"
#include "core/engines/engines.h"
#include "text/byte_search.h"
#include "text/candidate_window.h"
#include "text/case_fold.h"

namespace kadrel {

namespace {

// Replaces the non-overlapping occurrences of the search string in a line, left
// to right; the search resumes after each replacement, so a replacement that
// contains the search string never loops. The output is the line's own bytes with
// the matched stretches replaced: every character kept keeps its code.
//
// The line comes in one or more parts (a line longer than the reading buffer);
// a match may run over a part's end, so the characters that could begin one wait
// for the next part. With a needle (fast paths), only the stretches around the
// places where it stands are decoded: the bytes between are copied as they are.
// Without one, the whole text is one such stretch.
class LineReplacer {
 public:
  LineReplacer(EngineLoop& loop, const ReplaceParams& params, bool binary)
      : loop_(loop),
        codec_(loop.codec()),
        find_(binary ? params.FindStr : FoldCase(params.FindStr)),
        replacement_(codec_.encode(params.ReplStr)),
        window_(codec_, binary ? CaseRule::Exact : CaseRule::Fold),
        span_(find_.size() * codec_.maxCodeLength()) {}

  bool searches() const { return !find_.empty(); }
  const std::u32string& find() const { return find_; }
  bool replaced() const { return replaced_; }
  // Decodes only around the places where needle stands (it must outlive this),
  // or nothing where the needle tells the search string exactly.
  void useNeedle(const ByteNeedle& needle, bool exact) {
    needle_ = &needle;
    exact_ = exact;
  }

  // Writes the line's next part; last with its last part (then the line end).
  // False after a write failure (reported).
  bool feed(std::string_view part, bool last) {
    const std::string_view text = carried_.join(part);
    Progress p;
    if (!(exact_ ? replaceExact(text, last, p) : replaceInStretches(text, last, p))) return false;
    const size_t written = p.written;
    size_t unmet = p.unmet;
    if (last) {
      const bool ok = loop_.writeBytes(text.substr(written)) && loop_.endLine();
      carried_.keepFrom(text.size());
      return ok;
    }
    // The needle stands nowhere from searchFrom to where it no longer fits.
    if (needle_ != nullptr && p.searched && p.searchFrom + needle_->size() <= text.size()) {
      const size_t unfound = text.size() - needle_->size() + 1;
      unmet = std::max(unmet, unfound - std::min(unfound, span_));
    }
    // The bytes where a match not yet met may begin wait for the next part.
    const size_t kept = codec_.charStartAtOrBefore(text, std::max(written, unmet), written);
    if (!loop_.writeBytes(text.substr(written, kept - written))) return false;
    carried_.keepFrom(kept);
    return true;
  }

 private:
  // Bytes decoded past the reach of a candidate's matches, so that candidates
  // close together share one stretch.
  static constexpr size_t kStretch = 256;

  // How far a part has been dealt with. Bytes before `written` are out. Every match
  // not yet met begins at or after `unmet`, and the needle stands in none of them
  // before searchFrom; searched: it stands nowhere from searchFrom to the end.
  struct Progress {
    size_t written = 0, unmet = 0, searchFrom = 0;
    bool searched = false;
  };

  // Writes text up to its matches and their replacements, each confirmed on the
  // characters decoded around its candidate. False after a write failure.
  bool replaceInStretches(std::string_view text, bool last, Progress& p) {
    for (;;) {
      const size_t candidate = nextCandidate(text, p.searchFrom);
      if (candidate == std::string_view::npos) {
        p.searched = true;
        return true;
      }
      // Every match holding the candidate lies within span_ bytes of it; the
      // stretch decoded reaches that far and on.
      const size_t to = needle_ == nullptr ? text.size() : candidate + span_ + kStretch;
      if (needle_ != nullptr && !last && to + codec_.maxCodeLength() > text.size()) {
        p.unmet = std::max(p.unmet, candidate - std::min(candidate, span_));
        return true;  // the bytes that decide it are yet to come
      }
      window_.decode(text, std::max(p.written, candidate - std::min(candidate, span_)), p.written,
                     to, last, true);
      const std::u32string_view chars = window_.chars();
      size_t at = 0;  // characters of the stretch out
      for (size_t pos = chars.find(find_); pos != std::u32string_view::npos;
           pos = chars.find(find_, at)) {
        if (!writeReplaced(text, p.written, window_.offsetOf(pos))) return false;
        at = pos + find_.size();
        p.written = window_.offsetOf(at);
      }
      // A match not met here begins in the stretch's last characters or after it.
      p.unmet =
          window_.offsetOf(std::max(at, chars.size() - std::min(chars.size(), find_.size() - 1)));
      p.searchFrom = std::max(p.unmet, candidate + 1);
      if (needle_ == nullptr) return true;
    }
  }

  // The same where the needle tells the search string exactly: a candidate at a
  // character start is a match, and nothing is decoded.
  bool replaceExact(std::string_view text, bool last, Progress& p) {
    size_t known = 0;  // a character start at or before the candidates to come
    for (;;) {
      const size_t candidate = needle_->find(text, p.searchFrom);
      if (candidate == std::string_view::npos) {
        p.searched = true;
        return true;
      }
      if (!last && candidate + codec_.maxCodeLength() - 1 > text.size()) {
        p.unmet = std::max(p.unmet, candidate - std::min(candidate, span_));
        return true;  // whether a character starts there is told by bytes yet to come
      }
      known = codec_.charStartAtOrBefore(text, candidate, std::max(known, p.written));
      if (known != candidate) {
        p.searchFrom = candidate + 1;
        continue;
      }
      if (!writeReplaced(text, p.written, candidate)) return false;
      p.written = p.unmet = p.searchFrom = candidate + needle_->size();
    }
  }

  // Writes text from written to a match at matchStart, then the replacement.
  bool writeReplaced(std::string_view text, size_t written, size_t matchStart) {
    replaced_ = true;
    return loop_.writeBytes(text.substr(written, matchStart - written)) &&
           loop_.writeBytes(replacement_);
  }

  size_t nextCandidate(std::string_view text, size_t from) const {
    if (needle_ != nullptr) return needle_->find(text, from);
    return from == 0 && !text.empty() ? 0 : std::string_view::npos;
  }

  EngineLoop& loop_;
  const TextCodec& codec_;
  const std::u32string find_;
  const std::string replacement_;
  const ByteNeedle* needle_ = nullptr;
  bool exact_ = false;
  CandidateWindow window_;  // the stretch around a candidate
  const size_t span_;       // the most bytes a match takes
  bool replaced_ = false;
  CarriedBytes carried_;  // the end of the last part that waits for the next
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
    if (needle && loop.fastPaths()) {
      replacer.useNeedle(*needle, NeedleIsExact(replacer.find(), loop.codec(),
                                                binary ? CaseRule::Exact : CaseRule::Fold));
    }
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
