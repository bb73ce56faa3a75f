// The wildcard matcher over arbitrary patterns and texts, against a plain
// dynamic-programming matcher of the same pattern language (wildcard.h).
// Input: a pattern, then the text (both UTF-8, stray bytes as escapes).
// Properties: compile fails exactly on an unclosed bracket or a reversed range,
// matches() and foundIn() agree with the reference, and nothing runs away in time.
#include <fuzzer/FuzzedDataProvider.h>

#include <optional>
#include <string>
#include <vector>

#include "extract/wildcard.h"
#include "fuzz_support.h"
#include "text/utf.h"

using namespace kadrel;

namespace {

struct RefToken {
  enum Kind { Star, Literal, Any, Digit, List } kind;
  char32_t ch = 0;
  bool negated = false;
  std::vector<std::pair<char32_t, char32_t>> ranges = {};

  bool accepts(char32_t c) const {
    switch (kind) {
      case Literal:
        return c == ch;
      case Any:
        return true;
      case Digit:
        return c >= U'0' && c <= U'9';
      case List: {
        bool in = false;
        for (auto [a, b] : ranges) in = in || (c >= a && c <= b);
        return in != negated;
      }
      case Star:
        break;
    }
    return false;
  }
};

// The pattern as wildcard.h describes it; nothing when it is ill-formed.
std::optional<std::vector<RefToken>> Parse(const std::u32string& p) {
  std::vector<RefToken> out;
  for (size_t i = 0; i < p.size(); ++i) {
    const char32_t c = p[i];
    if (c == U'*') {
      out.push_back({RefToken::Star});
    } else if (c == U'?') {
      out.push_back({RefToken::Any});
    } else if (c == U'#') {
      out.push_back({RefToken::Digit});
    } else if (c != U'[') {
      out.push_back({RefToken::Literal, c});
    } else {
      const size_t close = p.find(U']', i + 1);
      if (close == std::u32string::npos) return std::nullopt;
      std::u32string body = p.substr(i + 1, close - i - 1);
      i = close;
      if (body.empty()) continue;  // no character at all
      if (body.size() == 1) {      // a character alone stands for itself
        out.push_back({RefToken::Literal, body[0]});
        continue;
      }
      RefToken t{RefToken::List};
      if (body[0] == U'!') {
        t.negated = true;
        body.erase(0, 1);
      }
      for (size_t k = 0; k < body.size();) {
        if (k + 2 < body.size() && body[k + 1] == U'-') {
          if (body[k] > body[k + 2]) return std::nullopt;
          t.ranges.emplace_back(body[k], body[k + 2]);
          k += 3;
        } else {
          t.ranges.emplace_back(body[k], body[k]);
          ++k;
        }
      }
      out.push_back(t);
    }
  }
  return out;
}

// Whole-text match by dynamic programming over (token, text position).
bool RefMatches(const std::vector<RefToken>& tokens, const std::u32string& text) {
  std::vector<char> row(text.size() + 1, 0), next(text.size() + 1);
  row[0] = 1;
  for (const RefToken& t : tokens) {
    std::fill(next.begin(), next.end(), 0);
    for (size_t j = 0; j <= text.size(); ++j) {
      if (t.kind == RefToken::Star) {
        next[j] = row[j] || (j > 0 && next[j - 1]);
      } else if (j > 0 && row[j - 1] && t.accepts(text[j - 1])) {
        next[j] = 1;
      }
    }
    row.swap(next);
  }
  return row[text.size()];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::u32string pattern = Utf8ToU32(input.ConsumeRandomLengthString(200));
  const std::u32string text = Utf8ToU32(input.ConsumeRemainingBytesAsString());

  PatternIssue issue;
  const auto compiled = WildcardPattern::compile(pattern, &issue);
  const auto reference = Parse(pattern);
  FUZZ_REQUIRE(compiled.has_value() == reference.has_value());
  if (!compiled) {
    FUZZ_REQUIRE(issue.position < pattern.size());
    FUZZ_REQUIRE(issue.kind == PatternIssue::ReversedRange || pattern[issue.position] == U'[');
    return 0;
  }
  FUZZ_REQUIRE(compiled->matches(text) == RefMatches(*reference, text));
  std::vector<RefToken> anywhere{{RefToken::Star}};
  anywhere.insert(anywhere.end(), reference->begin(), reference->end());
  anywhere.push_back({RefToken::Star});
  FUZZ_REQUIRE(compiled->foundIn(text) == RefMatches(anywhere, text));
  return 0;
}
