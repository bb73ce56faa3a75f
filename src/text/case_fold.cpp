#include "text/case_fold.h"

#include <algorithm>

#include "text/text_tables.h"
#include "text/utf.h"

namespace kadrel {

char32_t FoldCaseByTable(char32_t c) {
  return tables::kFoldCaseMap(c);
}

char32_t ToUpperByTable(char32_t c) {
  return tables::kUpperCaseMap(c);
}

std::vector<char32_t> CaseVariants(char32_t key, CaseRule rule) {
  if (rule == CaseRule::Exact) return {key};
  char32_t (*apply)(char32_t) = rule == CaseRule::Fold ? &FoldCaseByTable : &ToUpperByTable;
  const tables::CasePreimages& preimages =
      rule == CaseRule::Fold ? tables::kFoldPreimages : tables::kUpperPreimages;
  std::vector<char32_t> variants;
  if (apply(key) == key) variants.push_back(key);
  const char32_t* end = preimages.to + preimages.count;
  for (const char32_t* it = std::lower_bound(preimages.to, end, key); it != end && *it == key; ++it)
    variants.push_back(preimages.from[it - preimages.to]);
  return variants;
}

void FoldCaseInPlace(std::u32string& s) {
  for (char32_t& c : s) c = FoldCase(c);
}

void ToUpperInPlace(std::u32string& s) {
  for (char32_t& c : s) c = ToUpper(c);
}

std::u32string FoldCase(std::u32string_view s) {
  std::u32string out(s);
  FoldCaseInPlace(out);
  return out;
}

std::u32string ToUpper(std::u32string_view s) {
  std::u32string out(s);
  ToUpperInPlace(out);
  return out;
}

namespace {
std::u32string Folded(std::string_view utf8) {
  std::u32string s = Utf8ToU32(utf8);
  FoldCaseInPlace(s);
  return s;
}
}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return Folded(a) == Folded(b);
}

bool ContainsIgnoreCase(std::string_view haystack, std::string_view needle) {
  return Folded(haystack).find(Folded(needle)) != std::u32string::npos;
}

bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix) {
  return Folded(s).starts_with(Folded(prefix));
}

bool EndsWithIgnoreCase(std::string_view s, std::string_view suffix) {
  return Folded(s).ends_with(Folded(suffix));
}

}  // namespace kadrel
