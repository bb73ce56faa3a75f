// Wildcard patterns of the extraction keywords.
//
//   ?        one character
//   *        any run of characters, none included
//   #        one decimal digit, 0 to 9
//   [list]   one character of the list; "a-z" in a list is a range
//   [!list]  one character not in the list
//   []       no character at all (an empty list)
//
// A meta character alone in brackets stands for itself: "[*]", "[?]", "[#]", "[[]",
// and "[!]" for "!". Outside brackets "]", "!" and "-" are ordinary characters.
// Characters compare by code point, nothing is folded.
//
// A pattern is compiled once into runs of one-character tests split at the stars.
// Matching places each run at its leftmost possible position, which is exact for
// star patterns and never backtracks: a search costs at most the text length times
// the length of the longest run, whatever the number of stars.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kadrel {

// Why a pattern could not be compiled.
struct PatternIssue {
  enum Kind { UnclosedBracket, ReversedRange };
  Kind kind = UnclosedBracket;
  size_t position = 0;      // code point index of the "[" (or of the range's first character)
  char32_t rangeFirst = 0;  // ReversedRange: the range as written
  char32_t rangeLast = 0;
};

// Why a pattern is ill-formed, as messages say it: "「[」に対応する「]」がありません".
std::string PatternIssueText(const PatternIssue& issue);

class WildcardPattern {
 public:
  // The compiled pattern, or nothing (and *issue filled) when it is ill-formed:
  // a "[" without its "]", or a range whose first character comes after its last.
  static std::optional<WildcardPattern> compile(std::u32string_view pattern,
                                                PatternIssue* issue = nullptr);

  // True when the whole text matches the pattern.
  bool matches(std::u32string_view text) const;
  // True when some part of the text matches: the text matches "*pattern*".
  bool foundIn(std::u32string_view text) const;

  // The stretches of plain characters that every text the pattern is found in
  // holds, each whole (the runs of characters between the meta characters).
  std::vector<std::u32string> literals() const;

  // Found in every text: the pattern is stars alone, or empty.
  bool foundEverywhere() const { return runs_.empty(); }
  // The characters a place where the pattern is found takes, when that is one
  // number: the pattern has stars at its ends only; 0 otherwise.
  size_t foundLength() const { return runs_.size() == 1 ? runs_[0].size() : 0; }

  // foundIn over a text that comes in parts (a line longer than the reading
  // buffer): the parts are fed in order, and only the characters that a match in
  // the parts still to come may need are kept.
  class Search {
   public:
    explicit Search(const WildcardPattern& pattern) : pattern_(&pattern) {}
    // Feeds the next characters; true once the pattern has been found.
    bool feed(std::u32string_view chars);
    bool found() const { return run_ == pattern_->runs_.size(); }

   private:
    const WildcardPattern* pattern_;
    size_t run_ = 0;       // the runs before it have been placed
    std::u32string text_;  // the characters from which the run may still begin
    size_t from_ = 0;      // in text_: where it may begin
  };

 private:
  struct Token {
    enum Kind : uint8_t { Literal, AnyChar, Digit, List };
    Kind kind;
    char32_t ch;    // Literal: the character
    uint32_t list;  // List: index into lists_
  };
  struct CharList {
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;  // inclusive
    uint64_t ascii[2] = {0, 0};  // the answer for U+0000..U+007F, one bit each
    void prepare();              // fills ascii from ranges and negated
    bool accepts(char32_t c) const {
      if (c < 0x80) return (ascii[c >> 6] >> (c & 63)) & 1;
      return acceptsByRanges(c);
    }
    bool acceptsByRanges(char32_t c) const;
  };
  // Tokens [begin, end) between two stars (or a pattern end).
  struct Run {
    size_t begin;
    size_t end;
    bool literalOnly;        // every token a Literal: searched as a string
    std::u32string literal;  // those literals
    size_t anchor;           // offset of the run's first Literal token; npos when none
    size_t size() const { return end - begin; }
  };

  bool tokenAccepts(const Token& t, char32_t c) const;
  bool runMatchesAt(const Run& run, std::u32string_view text, size_t pos) const;
  // Leftmost position p in [from, limit - run.size()] where the run matches; npos if none.
  size_t findRun(const Run& run, std::u32string_view text, size_t from, size_t limit) const;
  bool matchRuns(std::u32string_view text, bool anchoredStart, bool anchoredEnd) const;

  std::vector<Token> tokens_;
  std::vector<CharList> lists_;
  std::vector<Run> runs_;
  bool hasStar_ = false;
  bool leadingStar_ = false;
  bool trailingStar_ = false;
};

}  // namespace kadrel
