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
// that may prove blank, trailing spaces under RIGHT) wait: as the stretch of bytes
// they are in the part at hand, and from parts before, one bit each (every
// supported code page has one code for each space).
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
    waitingBits_.clear();
    carried_.clear();
  }

  // Writes what stays of the line's next part; last with its last part.
  // False after a write failure (reported).
  bool feed(std::string_view part, bool last) {
    nonEmpty_ = nonEmpty_ || !part.empty();
    const bool joined = !carried_.empty();
    text_ = carried_.join(part);
    out_.clear();
    keepFrom_ = keepTo_ = waitFrom_ = waitTo_ = 0;
    size_t done;
    if (last && !joined && text_.find(ideographicCode_) == std::string_view::npos) {
      done = scanBytes();  // no U+3000: the spaces are the bytes 0x20
    } else {
      done = scanDecoded(last);
    }
    if (!last) {
      // Spaces still waiting outlive the part: kept as bits.
      for (size_t i = waitFrom_; i < waitTo_; i += text_[i] == ' ' ? 1 : ideographicCode_.size())
        waitingBits_.push_back(text_[i] != ' ');
      const bool written = loop_.writeBytes(output());
      carried_.keepFrom(done);
      return written;
    }
    return !finish() || loop_.writeRaw(output());
  }

 private:
  // Byte by byte; the byte 0x20 is never part of another character's code.
  size_t scanBytes() {
    size_t from = 0;
    for (size_t sp = text_.find(' '); sp != std::string_view::npos; sp = text_.find(' ', from)) {
      other(from, sp);
      space(sp, 1);
      from = sp + 1;
    }
    other(from, text_.size());
    return text_.size();
  }

  // The characters the part decides; returns where they end.
  size_t scanDecoded(bool last) {
    chars_.clear();
    const size_t decided = codec_.decodePart(text_, chars_, last);
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
        const size_t end = i == chars_.size() ? decided : codec_.advance(text_, byte, run);
        other(byte, end);
        byte = end;
        run = 0;
      }
      if (isSpace) {
        const size_t length = chars_[i] == U' ' ? 1 : ideographicCode_.size();
        space(byte, length);
        byte += length;
      }
    }
    return decided;
  }

  // The stretch of other characters text_[from, to).
  void other(size_t from, size_t to) {
    if (from == to) return;
    sawOther_ = true;
    putWaiting();
    keep(from, to);
  }

  // Keeps text_[from, to). Stretches kept one after the other are gathered, so
  // that a line that loses nothing, or only at its ends, is written as it lies.
  void keep(size_t from, size_t to) {
    if (from == to) return;
    if (from != keepTo_) {
      out_.append(text_.substr(keepFrom_, keepTo_ - keepFrom_));
      keepFrom_ = from;
    }
    keepTo_ = to;
  }

  // What stays of the part at hand.
  std::string_view output() {
    if (out_.empty()) return text_.substr(keepFrom_, keepTo_ - keepFrom_);
    out_.append(text_.substr(keepFrom_, keepTo_ - keepFrom_));
    keepFrom_ = keepTo_;
    return out_;
  }

  // The space text_[at, at + length).
  void space(size_t at, size_t length) {
    if (p_.trimAll || (!sawOther_ && p_.trimLeft)) return;  // dropped
    if (!sawOther_ || p_.trimRight) {  // leading, or maybe trailing: decided later
      if (waitFrom_ == waitTo_) waitFrom_ = at;
      waitTo_ = at + length;
      return;
    }
    keep(at, at + length);
  }

  void putWaiting() {
    if (!waitingBits_.empty()) {
      out_.append(text_.substr(keepFrom_, keepTo_ - keepFrom_));
      keepFrom_ = keepTo_;
      for (bool ideographic : waitingBits_) out_.append(ideographic ? ideographicCode_ : " ");
      waitingBits_.clear();
    }
    keep(waitFrom_, waitTo_);
    waitFrom_ = waitTo_ = 0;
  }

  // The line's end: whether it stays, decided on the line as read. Spaces still
  // waiting are trailing ones (dropped under RIGHT) or a line of spaces only
  // (dropped under LEFT or RIGHT).
  bool finish() {
    const bool keep = !p_.lineDel || (p_.spaceLineDel ? sawOther_ : nonEmpty_);
    if (keep && !p_.trimRight && !(p_.trimLeft && !sawOther_)) putWaiting();
    return keep;
  }

  EngineLoop& loop_;
  const TextCodec& codec_;
  const DeleteBlanksParams& p_;
  std::string ideographicCode_;
  bool nonEmpty_ = false;
  bool sawOther_ = false;
  std::vector<bool> waitingBits_;  // spaces waiting from parts before: true for U+3000
  size_t waitFrom_ = 0;            // spaces waiting in the part at hand: text_[from, to)
  size_t waitTo_ = 0;
  size_t keepFrom_ = 0;  // the stretch of the part at hand kept last: text_[from, to)
  size_t keepTo_ = 0;
  CarriedBytes carried_;   // bytes waiting for the next part
  std::string_view text_;  // the part at hand, after what was carried
  std::u32string chars_;   // decoded characters of the part at hand
  std::string out_;        // what stays of the part at hand, before the stretch kept last
};

}  // namespace

void DeleteBlanks(EngineIo& io, const DeleteBlanksParams& params) {
  EngineLoop loop(io);
  std::string_view line;
  bool whole = true;
  LineBlanker blanker(loop, params);
  while (loop.nextLine(line, whole)) {
    blanker.startLine();
    const bool fed = loop.feedLine(
        line, whole, [&](std::string_view bytes, bool last) { return blanker.feed(bytes, last); });
    if (!fed || !loop.yield()) return;
  }
}

}  // namespace kadrel
