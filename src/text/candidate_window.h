// The characters of a stretch of a line's bytes, decoded (and case-mapped) to
// confirm what a byte prefilter found there: the engines decode the stretches
// around their candidates, not the lines that hold them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/case_fold.h"
#include "text/code_page.h"

namespace kadrel {

class CandidateWindow {
 public:
  // rule: Exact leaves the characters as read; Fold and Upper map each one.
  CandidateWindow(const TextCodec& codec, CaseRule rule) : codec_(codec), rule_(rule) {}

  // Decodes the characters of text from the one that holds the byte at `from` (known:
  // an offset at or before from where a character begins) to the last one that
  // begins before `to`. With textEnds, text's last bytes end the line; otherwise
  // they may begin a character that goes on past them, which is left out.
  void decode(std::string_view text, size_t from, size_t known, size_t to, bool textEnds,
              bool withOffsets = false);

  size_t begin() const { return begin_; }  // where the first character begins in text
  size_t end() const { return end_; }      // where the last one ends
  std::u32string_view chars() const { return chars_; }
  // Where the character at index begins in text (end() for chars().size());
  // decode() must have been asked for offsets.
  size_t offsetOf(size_t index) const {
    return index < offsets_.size() ? begin_ + offsets_[index] : end_;
  }

 private:
  const TextCodec& codec_;
  const CaseRule rule_;
  size_t begin_ = 0;
  size_t end_ = 0;
  std::u32string chars_;
  std::vector<uint32_t> offsets_;
};

}  // namespace kadrel
