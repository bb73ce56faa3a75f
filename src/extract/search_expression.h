// The condition of the multi-string extraction: up to three search strings joined
// left to right by two AND/OR operators, and its text as the result header shows it.
#pragma once

#include <string>

namespace kadrel {

// An operator between two search strings; None where one side has no string.
enum class Joiner { None, And, Or };

struct SearchExpression {
  Joiner first = Joiner::None;   // between the first and the second string
  Joiner second = Joiner::None;  // between those two and the third string
  std::u32string text;           // " [A] AND [B] ", "（  [A] AND [B]  ）OR [C]", ...
};

// Derives the operators and the header text from the strings as the step holds them.
SearchExpression BuildSearchExpression(const std::u32string& first, const std::u32string& second,
                                       const std::u32string& third, bool firstIsAnd,
                                       bool secondIsAnd);

// Whether a line matches, given hit(k) for string k = 0, 1, 2 (false for an empty
// string). Evaluated left to right, the first operator binding first; hit is only
// asked where the answer still depends on it.
template <typename HitFn>
bool EvaluateSearch(const SearchExpression& e, HitFn&& hit) {
  bool left = e.first == Joiner::And ? (hit(0) && hit(1)) : (hit(0) || hit(1));
  return e.second == Joiner::And ? (left && hit(2)) : (left || hit(2));
}

}  // namespace kadrel
