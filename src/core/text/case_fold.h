// Letter case rules, one code point to one code point so that lengths never change.
#pragma once

#include <string>
#include <string_view>

namespace kadrel {

char32_t FoldCase(char32_t c);  // Unicode simple case folding
char32_t ToUpper(char32_t c);   // Unicode simple upper-casing

std::u32string FoldCase(std::u32string_view s);
std::u32string ToUpper(std::u32string_view s);
void FoldCaseInPlace(std::u32string& s);
void ToUpperInPlace(std::u32string& s);

// Comparisons of UTF-8 texts (file names, affixes, list entries) ignoring case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool ContainsIgnoreCase(std::string_view haystack, std::string_view needle);
bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix);
bool EndsWithIgnoreCase(std::string_view s, std::string_view suffix);

}  // namespace kadrel
