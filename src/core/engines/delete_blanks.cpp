#include <vector>

#include "core/engine_loop.h"
#include "core/engines/engines.h"
#include "core/run_error.h"

namespace kadrel {

namespace {

constexpr char32_t kIdeographicSpace = U'\u3000';

// One line through the blank and space rules. The line is seen as stretches of
// other characters and single spaces (U+0020, U+3000), in order, in one or more
// parts (a line longer than the reading buffer); the characters kept keep their
// codes. Spaces whose fate the rest of the line decides (leading spaces of a line
// that may prove blank, trailing spaces under RIGHT) wait, one bit each: every
// supported code page has one code for each space.
class LineBlanker {
 public:
  LineBlanker(EngineLoop& loop, const DeleteBlanksParams& params)
      : loop_(loop), codec_(loop.codec()), p_(params) {
    const std::vector<std::string> codes = codec_.codesOf(kIdeographicSpace);
    if (codes.size() != 1 || codec_.codesOf(U' ').size() != 1) throw MakeRunError(kErrInternal);
    ideographicCode_ = codes.front();
  }

  void startLine() {
    nonEmpty_ = sawOther_ = false;
    waiting_.clear();
    carried_.clear();
  }

  // Writes what stays of the line's next part; last with its last part.
  // False after a write failure (reported).
  bool feed(std::string_view part, bool last) {
    nonEmpty_ = nonEmpty_ || !part.empty();
    std::string_view text = part;
    if (!carried_.empty()) {
      carried_.append(part);
      text = carried_;
    }
    size_t done;
    if (last && carried_.empty() && text.find(ideographicCode_) == std::string_view::npos) {
      done = scanBytes(text);  // no U+3000: the spaces are the bytes 0x20
    } else {
      done = scanDecoded(text, last);
    }
    if (done == std::string_view::npos) return false;
    std::string rest(text.substr(done));
    carried_.swap(rest);
    return !last || finish();
  }

 private:
  // Byte by byte; the byte 0x20 is never part of another character's code.
  size_t scanBytes(std::string_view text) {
    size_t from = 0;
    for (size_t sp = text.find(' '); sp != std::string_view::npos; sp = text.find(' ', from)) {
      if (!other(text.substr(from, sp - from)) || !space(false)) return std::string_view::npos;
      from = sp + 1;
    }
    if (!other(text.substr(from))) return std::string_view::npos;
    return text.size();
  }

  // The characters text decides; returns where they end.
  size_t scanDecoded(std::string_view text, bool last) {
    chars_.clear();
    const size_t decided = codec_.decodePart(text, chars_, last);
    size_t byte = 0;
    size_t run = 0;  // characters of the stretch of others ending at chars_[i]
    for (size_t i = 0; i <= chars_.size(); ++i) {
      const bool isSpace =
          i < chars_.size() && (chars_[i] == U' ' || chars_[i] == kIdeographicSpace);
      if (i < chars_.size() && !isSpace) {
        ++run;
        continue;
      }
      if (run > 0) {
        const size_t end = i == chars_.size() ? decided : codec_.advance(text, byte, run);
        if (!other(text.substr(byte, end - byte))) return std::string_view::npos;
        byte = end;
        run = 0;
      }
      if (isSpace) {
        const bool ideographic = chars_[i] == kIdeographicSpace;
        if (!space(ideographic)) return std::string_view::npos;
        byte += ideographic ? ideographicCode_.size() : 1;
      }
    }
    return decided;
  }

  // A stretch of characters other than spaces.
  bool other(std::string_view bytes) {
    if (bytes.empty()) return true;
    sawOther_ = true;
    return flushWaiting() && loop_.writeBytes(bytes);
  }

  bool space(bool ideographic) {
    if (p_.trimAll || (!sawOther_ && p_.trimLeft)) return true;  // dropped
    if (!sawOther_ || p_.trimRight) {  // leading, or maybe trailing: decided later
      waiting_.push_back(ideographic);
      return true;
    }
    return writeSpace(ideographic);
  }

  bool writeSpace(bool ideographic) {
    return loop_.writeBytes(ideographic ? std::string_view(ideographicCode_) : " ");
  }

  bool flushWaiting() {
    for (bool ideographic : waiting_) {
      if (!writeSpace(ideographic)) return false;
    }
    waiting_.clear();
    return true;
  }

  // The line's end: whether it stays is decided on the line as read; spaces still
  // waiting are trailing ones (dropped under RIGHT) or a line of spaces only
  // (dropped under LEFT or RIGHT).
  bool finish() {
    const bool keep = !p_.lineDel || (p_.spaceLineDel ? sawOther_ : nonEmpty_);
    if (!keep) return true;
    if (!p_.trimRight && !(p_.trimLeft && !sawOther_) && !flushWaiting()) return false;
    return loop_.endLine();
  }

  EngineLoop& loop_;
  const TextCodec& codec_;
  const DeleteBlanksParams& p_;
  std::string ideographicCode_;
  bool nonEmpty_ = false;
  bool sawOther_ = false;
  std::vector<bool> waiting_;  // spaces waiting: true for U+3000
  std::string carried_;        // bytes waiting for the next part
  std::u32string chars_;       // decoded characters of the part at hand
};

}  // namespace

void DeleteBlanks(RunContext& ctx, const DeleteBlanksParams& params) {
  EngineLoop loop(ctx, ctx.TargetPath);
  std::string_view line;
  bool whole = true;
  LineBlanker blanker(loop, params);
  while (loop.nextLine(line, whole)) {
    blanker.startLine();
    if (whole) {
      if (!blanker.feed(line, true)) return;
    } else {
      bool ok = blanker.feed(line, false);
      if (!loop.readRest([&](std::string_view piece) { ok = ok && blanker.feed(piece, false); }))
        return;
      if (!ok || !blanker.feed({}, true)) return;
    }
    if (!loop.yield()) return;
  }
}

}  // namespace kadrel
