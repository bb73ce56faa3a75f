#include <cstdlib>
#include <limits>

#include "core/engine_loop.h"
#include "core/engines/engines.h"
#include "core/run_error.h"
#include "text/utf.h"

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

// One line with `cut` characters deleted at its head or end and the insert text
// put in their place; the characters kept keep their codes. The line comes in one
// or more parts (a line longer than the reading buffer): at the head the first
// characters are skipped and the rest copied as it comes; at the end the last
// `cut` characters decided so far wait for the next part.
class LineEndEditor {
 public:
  LineEndEditor(EngineLoop& loop, bool atHead, size_t cut)
      : loop_(loop), codec_(loop.codec()), atHead_(atHead), cut_(cut) {}

  // A new line, with the text put in place of the characters deleted.
  void startLine(std::u32string_view insert) {
    insert_.clear();
    codec_.encode(insert, insert_);
    toSkip_ = atHead_ ? cut_ : 0;
    inserted_ = false;
    carried_.clear();
  }

  // Writes the line's next part; last with its last part (then the line end).
  // False after a write failure (reported).
  bool feed(std::string_view part, bool last) {
    const std::string_view text = carried_.join(part);
    if (atHead_) {
      size_t from = 0;
      if (!inserted_) {
        if (last) {  // the rest of the line is here: walk over the characters deleted
          from = codec_.advance(text, 0, toSkip_);
        } else if (const size_t at = codec_.advance(text, 0, toSkip_);
                   toSkip_ > 0 && at + codec_.maxCodeLength() - 1 <= text.size()) {
          from = at;               // the part decides every character deleted
        } else if (toSkip_ > 0) {  // only as far as this part decides them
          chars_.clear();
          const size_t decided = codec_.decodePart(text, chars_, false);
          const size_t skip = std::min(toSkip_, chars_.size());
          from = skip == chars_.size() ? decided : codec_.advance(text, 0, skip);
          toSkip_ -= skip;
          if (toSkip_ > 0) {  // the undecided end waits for the next part
            carried_.keepFrom(decided);
            return true;
          }
        }
        if (!loop_.writeBytes(insert_)) return false;
        inserted_ = true;
      }
      const bool written = loop_.writeBytes(text.substr(from));
      carried_.keepFrom(text.size());
      return written && (!last || loop_.endLine());
    }
    const size_t kept = loop_.fastPaths() ? tailFromEnd(text, last) : tailByDecoding(text, last);
    if (!loop_.writeBytes(text.substr(0, kept))) return false;
    carried_.keepFrom(last ? text.size() : kept);
    return !last || (loop_.writeBytes(insert_) && loop_.endLine());
  }

 private:
  // At the end of the line, where the bytes to write end: before the line's last
  // cut characters (a line of cut characters or fewer becomes empty), and in a
  // part before the characters that may yet be among them.
  size_t tailByDecoding(std::string_view text, bool last) {
    chars_.clear();
    const size_t decided = codec_.decodePart(text, chars_, last);
    const size_t keep = chars_.size() > cut_ ? chars_.size() - cut_ : 0;
    return keep == chars_.size() ? decided : codec_.advance(text, 0, keep);
  }
  // The same from the bytes near the end: no more is decoded than cut characters.
  size_t tailFromEnd(std::string_view text, bool last) {
    const size_t longest = codec_.maxCodeLength();
    if (!last) {  // bytes that hold cut whole characters, and one yet undecided
      const size_t held = cut_ * longest + longest - 1;
      return text.size() <= held ? 0 : codec_.charStartAtOrBefore(text, text.size() - held);
    }
    const size_t from =
        codec_.charStartAtOrBefore(text, text.size() - std::min(text.size(), cut_ * longest));
    chars_.clear();
    codec_.decodePart(text.substr(from), chars_, true);
    return chars_.size() > cut_ ? codec_.advance(text, from, chars_.size() - cut_) : from;
  }

  EngineLoop& loop_;
  const TextCodec& codec_;
  const bool atHead_;
  const size_t cut_;
  std::string insert_;     // encoded
  size_t toSkip_ = 0;      // at the head: characters still to delete
  bool inserted_ = false;  // at the head: the insert text is out
  CarriedBytes carried_;   // bytes waiting for the next part
  std::u32string chars_;   // decoded characters of the part at hand
};

}  // namespace

void EditLineEnds(EngineIo& io, const EditLineEndsParams& params) {
  EngineLoop loop(io);
  const size_t cut = params.count > 0 ? static_cast<size_t>(params.count) : 0;
  LineEndEditor editor(loop, params.atHead, cut);
  std::u32string insert = params.insertText;
  int32_t number = params.start;
  bool first = true;
  std::string_view line;
  bool whole = true;
  while (loop.nextLine(line, whole)) {
    // The first line takes insertText as given (the start number in full); from
    // the second line on the number fills exactly the deleted columns. The next
    // number is made only when a line needs it.
    if (params.numbering && !first) {
      number = NextNumber(number, params.step);
      insert = Utf8ToU32(FormatNumber(number, params.numberFormat));
      if (cut > 0 && insert.size() > cut) insert.erase(0, insert.size() - cut);
    }
    first = false;
    editor.startLine(insert);
    const bool fed = loop.feedLine(
        line, whole, [&](std::string_view bytes, bool last) { return editor.feed(bytes, last); });
    if (!fed || !loop.yield()) return;
  }
}

}  // namespace kadrel
