// Searches over the raw bytes of a text file, before anything is decoded: the
// prefilter of the engines, which pass over the lines that cannot hold what a
// step looks for without decoding them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/case_fold.h"
#include "text/code_page.h"

namespace kadrel {

// A set of byte values.
struct ByteSet {
  std::array<uint64_t, 4> bits{};
  void add(unsigned char b) { bits[b >> 6] |= uint64_t{1} << (b & 63); }
  bool has(unsigned char b) const { return (bits[b >> 6] >> (b & 63)) & 1; }
  int count() const;
};

// A needle of byte sets: the needle stands at i when each byte i + k lies in set
// k. It finds every place where one of the codes of a text may stand, and more:
// a place it finds is a candidate, to be confirmed on the decoded line (a CP932
// trail byte may look like an ASCII letter, and sets of several codes also take
// their mixtures).
class ByteNeedle {
 public:
  explicit ByteNeedle(std::vector<ByteSet> sets);

  // The first place at or after from where the needle may stand wholly inside
  // hay; npos when none.
  size_t find(std::string_view hay, size_t from = 0) const;
  size_t size() const { return sets_.size(); }

 private:
  // A quick test of one position: the byte, or-ed with mask, is one of values
  // (repeated to fill the three).
  struct Probe {
    size_t offset = 0;
    unsigned char mask = 0;
    std::array<unsigned char, 3> values{};
    int count = 0;  // distinct values, 1 to 3; 0: the set is too wide to probe
  };
  static Probe ProbeFor(size_t offset, const ByteSet& set);
  bool matchesAt(std::string_view hay, size_t i) const;
  size_t findScalar(std::string_view hay, size_t from, size_t last) const;
  template <int kFirst, int kSecond>
  size_t findVector(std::string_view hay, size_t from, size_t last) const;

  std::vector<ByteSet> sets_;
  Probe first_, second_;  // the two rarest positions that can be probed
  bool never_ = false;    // some set is empty: the needle stands nowhere
};

// The needle of the literal texts that every match of a search must contain
// (each whole), as lines in the code page hold them: each character in every
// code of every character that the rule makes equal to it. It covers the
// longest stretch of one text whose characters' codes are of one length each;
// nothing when there is none (the search then reads every line).
std::optional<ByteNeedle> NeedleFor(const std::vector<std::u32string>& literals,
                                    const TextCodec& codec, CaseRule rule);

// True when the needle of one literal text stands, at a character start, only
// where the text itself stands (as the rule compares): it covers the whole text,
// and no mixture of two codes' bytes reads as a third character, as each character
// has one code or codes of one byte, and none is a byte escape (whose byte may read
// as a character or begin a code). Its places at character starts are then the
// text's, with nothing to decode.
bool NeedleIsExact(std::u32string_view literal, const TextCodec& codec, CaseRule rule);

// Needles over a stream of bytes seen through windows that only move on: where
// any of them may stand next. Each needle's next place is kept, so that bytes are
// searched once per needle however often the window moves.
class NeedleSet {
 public:
  void add(const ByteNeedle& needle) { entries_.push_back({&needle}); }
  bool empty() const { return entries_.empty(); }

  // The first place in window, which starts at offset `at` of the stream, where a
  // needle stands wholly inside it; npos when none.
  size_t find(std::string_view window, uint64_t at);

 private:
  struct Entry {
    const ByteNeedle* needle;
    bool found = false;
    uint64_t next = 0;     // found: where the needle stands next
    uint64_t clearTo = 0;  // not found: it starts nowhere before this offset
  };
  std::vector<Entry> entries_;
};

// The line ends in bytes: CRs, and (withCrLfs) CRs followed by an LF.
struct LineEndCount {
  size_t crs = 0;
  size_t crLfs = 0;
};
LineEndCount CountLineEnds(std::string_view bytes, bool withCrLfs);

}  // namespace kadrel
