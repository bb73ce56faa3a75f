#include "extract/search_expression.h"

namespace kadrel {

namespace {

std::u32string JoinerText(Joiner j) {
  switch (j) {
    case Joiner::And:
      return U"AND";
    case Joiner::Or:
      return U"OR";
    case Joiner::None:
      break;
  }
  return U"";
}

}  // namespace

SearchExpression BuildSearchExpression(const std::u32string& first, const std::u32string& second,
                                       const std::u32string& third, bool firstIsAnd,
                                       bool secondIsAnd) {
  SearchExpression e;
  if (!first.empty() && !second.empty()) {
    e.first = firstIsAnd ? Joiner::And : Joiner::Or;
    e.text = U" [" + first + U"] " + JoinerText(e.first) + U" [" + second + U"] ";
    if (!third.empty()) e.text = U"（ " + e.text + U" ）";
  } else if (!first.empty()) {
    e.text = U" [" + first + U"] ";
  } else if (!second.empty()) {
    e.text = U" [" + second + U"] ";
  }

  if (!third.empty()) {
    if (!e.text.empty()) {
      e.second = secondIsAnd ? Joiner::And : Joiner::Or;
      e.text += JoinerText(e.second) + U" [" + third + U"]";
    } else {
      e.text = U" [" + third + U"] ";
    }
  }
  return e;
}

}  // namespace kadrel
