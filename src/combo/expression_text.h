// The condition of a multi-string extraction step as text: up to three strings
// joined by two AND/OR operators. The extraction engine writes it into its
// result header and matches lines by the same operators; step descriptions show it.
#pragma once

#include <string>
#include <string_view>

namespace kadrel {

// An operator that joins two parts of the condition; None when a side is empty.
enum class JoinOperator { None, And, Or };

struct MultiStringCondition {
  JoinOperator first = JoinOperator::None;   // between the first and second string
  JoinOperator second = JoinOperator::None;  // between the first part and the third string
  std::u32string text;                       // e.g. U"（  [A] AND [B]  ）OR [C]"
};

// Builds the operators and the text from the strings as the step holds them (before
// any case conversion). firstIsAnd / secondIsAnd: the step's operator flags.
MultiStringCondition BuildMultiStringCondition(std::u32string_view first,
                                               std::u32string_view second,
                                               std::u32string_view third, bool firstIsAnd,
                                               bool secondIsAnd);

// The text alone.
std::u32string BuildExpressionText(std::u32string_view first, std::u32string_view second,
                                   std::u32string_view third, bool firstIsAnd, bool secondIsAnd);
// The same over UTF-8 strings.
std::string BuildExpressionText(std::string_view first, std::string_view second,
                                std::string_view third, bool firstIsAnd, bool secondIsAnd);

}  // namespace kadrel
