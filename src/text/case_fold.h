// Letter case rules, one code point to one code point so that lengths never change.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kadrel {

// The full tables, for the characters the shortcuts below leave.
char32_t FoldCaseByTable(char32_t c);
char32_t ToUpperByTable(char32_t c);

// Kana, CJK symbols and ideographs (U+3000..U+9FFF) have no letter case: most of
// a Japanese text takes these shortcuts, and ASCII.
inline bool HasNoCase(char32_t c) {
  return c >= 0x3000 && c <= 0x9FFF;
}

// Unicode simple case folding.
inline char32_t FoldCase(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
  return HasNoCase(c) ? c : FoldCaseByTable(c);
}
// Unicode simple upper-casing.
inline char32_t ToUpper(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
  return HasNoCase(c) ? c : ToUpperByTable(c);
}

// How two texts compare: exactly, by simple case folding (the replacement's text
// comparison) or by simple upper-casing (the extraction engines').
enum class CaseRule { Exact, Fold, Upper };

// Every character c that the rule makes equal to key: the rule maps c to key (for
// Exact, key alone). key is a character the rule gives (a folded or upper-cased one).
std::vector<char32_t> CaseVariants(char32_t key, CaseRule rule);

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
