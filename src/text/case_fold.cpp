#include "text/case_fold.h"

#include <unicode/uchar.h>
#include <unicode/uset.h>

#include <algorithm>
#include <unordered_map>

#include "text/utf.h"

namespace kadrel {

char32_t FoldCaseByTable(char32_t c) {
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

char32_t ToUpperByTable(char32_t c) {
  return static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
}

namespace {

// Per rule, the characters it changes, by what it makes of them. A character that
// folding or upper-casing changes is in one of ICU's sets "changes when case
// folded" or "changes when upper-cased" (U+1FBE, which folds but is outside the
// first, is in the second).
using Preimages = std::unordered_map<char32_t, std::vector<char32_t>>;

Preimages BuildPreimages(char32_t (*rule)(char32_t)) {
  Preimages preimages;
  for (UProperty property : {UCHAR_CHANGES_WHEN_CASEFOLDED, UCHAR_CHANGES_WHEN_UPPERCASED}) {
    UErrorCode err = U_ZERO_ERROR;
    const USet* set = u_getBinaryPropertySet(property, &err);
    if (U_FAILURE(err)) continue;
    for (int32_t r = 0; r < uset_getItemCount(set); ++r) {
      UChar32 first, last;
      err = U_ZERO_ERROR;
      if (uset_getItem(set, r, &first, &last, nullptr, 0, &err) != 0) continue;  // a string
      for (UChar32 c = first; c <= last; ++c) {
        const char32_t to = rule(static_cast<char32_t>(c));
        if (to == static_cast<char32_t>(c)) continue;
        std::vector<char32_t>& from = preimages[to];
        if (std::find(from.begin(), from.end(), static_cast<char32_t>(c)) == from.end())
          from.push_back(static_cast<char32_t>(c));
      }
    }
  }
  return preimages;
}

}  // namespace

std::vector<char32_t> CaseVariants(char32_t key, CaseRule rule) {
  if (rule == CaseRule::Exact) return {key};
  char32_t (*apply)(char32_t) = rule == CaseRule::Fold ? &FoldCaseByTable : &ToUpperByTable;
  static const Preimages folded = BuildPreimages(&FoldCaseByTable);
  static const Preimages upper = BuildPreimages(&ToUpperByTable);
  const Preimages& preimages = rule == CaseRule::Fold ? folded : upper;
  std::vector<char32_t> variants;
  if (apply(key) == key) variants.push_back(key);
  if (auto it = preimages.find(key); it != preimages.end())
    variants.insert(variants.end(), it->second.begin(), it->second.end());
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
