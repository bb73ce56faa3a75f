// How much bytes read in a code page look like text: the evidence the code
// page guess weighs.
#pragma once

#include <cstddef>
#include <string_view>

#include "text/code_page.h"

namespace kadrel {

// What reading bytes in a code page costs, in bits: about -log2 of how likely
// the text of a Japanese desk holds the characters of the reading where they
// stand. A sequence the code page cannot read costs most; then codes of no
// common use (rare kanji, user-defined codes, half-width katakana that break
// the rules of kana, letters beyond ASCII outside words of letters); least the
// characters common in Japanese text and kanji that make dictionary words.
// The costs add up over the bytes each character covers, so two half-width
// katakana read from the bytes of one kanji are weighed against that kanji.
struct ReadingCost {
  double bits = 0;
  // How much of bits may be owed to words that no dictionary can check: a run
  // of half-width katakana that keeps the rules of kana may be a word (ﾃﾞｰﾀ,
  // ｾﾚｸﾀ) as well as random kana.
  double doubt = 0;
  // When the dictionary was not asked: how much its words could save at most.
  double wordRoom = 0;
  // The bytes the code page cannot read.
  size_t invalid = 0;
  ReadingCost& operator+=(const ReadingCost& other);
};

// The cost of reading bytes in cp. With askDictionary, kanji that ICU's
// dictionary of Japanese and Chinese words puts in words of two or more
// characters cost less; without, wordRoom tells how much less they could.
ReadingCost CostOfReading(CodePage cp, std::string_view bytes, bool askDictionary);

}  // namespace kadrel
