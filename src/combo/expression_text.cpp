#include "combo/expression_text.h"

#include "core/text/utf.h"

namespace kadrel {

namespace {

std::u32string_view OperatorText(JoinOperator op) {
  switch (op) {
    case JoinOperator::And:
      return U"AND";
    case JoinOperator::Or:
      return U"OR";
    case JoinOperator::None:
      break;
  }
  return U"";
}

JoinOperator FromFlag(bool isAnd) {
  return isAnd ? JoinOperator::And : JoinOperator::Or;
}

// " [" + s + "] "
std::u32string Bracketed(std::u32string_view s) {
  std::u32string out = U" [";
  out += s;
  out += U"] ";
  return out;
}

}  // namespace

MultiStringCondition BuildMultiStringCondition(std::u32string_view first,
                                               std::u32string_view second,
                                               std::u32string_view third, bool firstIsAnd,
                                               bool secondIsAnd) {
  MultiStringCondition c;
  std::u32string& text = c.text;
  if (!first.empty() && !second.empty()) {
    c.first = FromFlag(firstIsAnd);
    text = U" [";
    text += first;
    text += U"] ";
    text += OperatorText(c.first);
    text += Bracketed(second);
    if (!third.empty()) text = U"（ " + text + U" ）";
  } else if (!first.empty()) {
    text = Bracketed(first);
  } else if (!second.empty()) {
    text = Bracketed(second);
  }

  if (!third.empty()) {
    if (!text.empty()) {
      c.second = FromFlag(secondIsAnd);
      text += OperatorText(c.second);
      text += U" [";
      text += third;
      text += U"]";
    } else {
      text = Bracketed(third);
    }
  }
  return c;
}

std::u32string BuildExpressionText(std::u32string_view first, std::u32string_view second,
                                   std::u32string_view third, bool firstIsAnd, bool secondIsAnd) {
  return BuildMultiStringCondition(first, second, third, firstIsAnd, secondIsAnd).text;
}

std::string BuildExpressionText(std::string_view first, std::string_view second,
                                std::string_view third, bool firstIsAnd, bool secondIsAnd) {
  return U32ToUtf8(BuildExpressionText(Utf8ToU32(first), Utf8ToU32(second), Utf8ToU32(third),
                                       firstIsAnd, secondIsAnd));
}

}  // namespace kadrel
