#include "extract/wildcard.h"

#include <algorithm>

#include "text/utf.h"

namespace kadrel {

std::string PatternIssueText(const PatternIssue& issue) {
  switch (issue.kind) {
    case PatternIssue::UnclosedBracket:
      break;
    case PatternIssue::ReversedRange:
      return "文字範囲「" + U32ToUtf8(std::u32string{issue.rangeFirst, U'-', issue.rangeLast}) +
             "」の指定が逆順です";
  }
  return "「[」に対応する「]」がありません";
}

namespace {

// Parses the inside of a bracket list, "a-z0-9_" say, into inclusive ranges. A "-"
// at either end of the list is an ordinary character.
bool ParseListBody(std::u32string_view body, size_t bodyPosition,
                   std::vector<std::pair<char32_t, char32_t>>& ranges, PatternIssue* issue) {
  for (size_t k = 0; k < body.size();) {
    char32_t first = body[k];
    if (k + 2 < body.size() && body[k + 1] == U'-') {
      char32_t last = body[k + 2];
      if (first > last) {
        if (issue != nullptr) {
          issue->kind = PatternIssue::ReversedRange;
          issue->position = bodyPosition + k;
          issue->rangeFirst = first;
          issue->rangeLast = last;
        }
        return false;
      }
      ranges.emplace_back(first, last);
      k += 3;
    } else {
      ranges.emplace_back(first, first);
      k += 1;
    }
  }
  return true;
}

}  // namespace

bool WildcardPattern::CharList::acceptsByRanges(char32_t c) const {
  for (const auto& [first, last] : ranges) {
    if (c >= first && c <= last) return !negated;
  }
  return negated;
}

void WildcardPattern::CharList::prepare() {
  for (char32_t c = 0; c < 0x80; ++c) {
    if (acceptsByRanges(c)) ascii[c >> 6] |= uint64_t{1} << (c & 63);
  }
}

std::optional<WildcardPattern> WildcardPattern::compile(std::u32string_view pattern,
                                                        PatternIssue* issue) {
  WildcardPattern p;
  size_t runBegin = 0;
  bool endsWithStar = false;
  auto closeRun = [&] {
    if (p.tokens_.size() > runBegin)
      p.runs_.push_back({runBegin, p.tokens_.size(), true, {}, std::u32string_view::npos});
    runBegin = p.tokens_.size();
  };
  auto literal = [&](char32_t c) { p.tokens_.push_back({Token::Literal, c, 0}); };

  for (size_t i = 0; i < pattern.size();) {
    char32_t c = pattern[i];
    const bool afterStar = endsWithStar;
    endsWithStar = c == U'*';
    switch (c) {
      case U'*':
        if (p.tokens_.empty()) p.leadingStar_ = true;
        p.hasStar_ = true;
        closeRun();
        ++i;
        break;
      case U'?':
        p.tokens_.push_back({Token::AnyChar, 0, 0});
        ++i;
        break;
      case U'#':
        p.tokens_.push_back({Token::Digit, 0, 0});
        ++i;
        break;
      case U'[': {
        size_t close = pattern.find(U']', i + 1);
        if (close == std::u32string_view::npos) {
          if (issue != nullptr) *issue = PatternIssue{PatternIssue::UnclosedBracket, i, 0, 0};
          return std::nullopt;
        }
        std::u32string_view body = pattern.substr(i + 1, close - i - 1);
        size_t bodyPosition = i + 1;
        i = close + 1;
        if (body.empty()) {  // an empty list stands for no character: "*[]" still ends in a star
          endsWithStar = afterStar;
          break;
        }
        if (body.size() == 1) {  // one character alone, a meta character or "!" included
          literal(body[0]);
          break;
        }
        CharList list;
        if (body[0] == U'!') {
          list.negated = true;
          body.remove_prefix(1);
          ++bodyPosition;
        }
        if (!ParseListBody(body, bodyPosition, list.ranges, issue)) return std::nullopt;
        if (!list.negated && list.ranges.size() == 1 &&
            list.ranges[0].first == list.ranges[0].second) {
          literal(list.ranges[0].first);  // "[!]" is handled above; "[a-a]" lands here
          break;
        }
        list.prepare();
        p.tokens_.push_back({Token::List, 0, static_cast<uint32_t>(p.lists_.size())});
        p.lists_.push_back(std::move(list));
        break;
      }
      default:
        literal(c);
        ++i;
        break;
    }
  }
  closeRun();
  p.trailingStar_ = endsWithStar;

  for (Run& run : p.runs_) {
    for (size_t t = run.begin; t < run.end; ++t) {
      if (p.tokens_[t].kind == Token::Literal) {
        if (run.anchor == std::u32string_view::npos) run.anchor = t - run.begin;
        run.literal.push_back(p.tokens_[t].ch);
      } else {
        run.literalOnly = false;
      }
    }
    if (!run.literalOnly) run.literal.clear();
  }
  return p;
}

bool WildcardPattern::tokenAccepts(const Token& t, char32_t c) const {
  switch (t.kind) {
    case Token::Literal:
      return c == t.ch;
    case Token::AnyChar:
      return true;
    case Token::Digit:
      return c >= U'0' && c <= U'9';
    case Token::List:
      return lists_[t.list].accepts(c);
  }
  return false;
}

bool WildcardPattern::runMatchesAt(const Run& run, std::u32string_view text, size_t pos) const {
  for (size_t t = run.begin; t < run.end; ++t, ++pos) {
    if (!tokenAccepts(tokens_[t], text[pos])) return false;
  }
  return true;
}

size_t WildcardPattern::findRun(const Run& run, std::u32string_view text, size_t from,
                                size_t limit) const {
  constexpr size_t npos = std::u32string_view::npos;
  if (run.size() > limit - from) return npos;
  if (run.literalOnly) return text.substr(0, limit).find(run.literal, from);
  const size_t last = limit - run.size();
  if (run.anchor != npos) {
    // Only where the run's literal character stands can the run begin.
    const char32_t ch = tokens_[run.begin + run.anchor].ch;
    const std::u32string_view window = text.substr(0, last + run.anchor + 1);
    for (size_t at = window.find(ch, from + run.anchor); at != npos; at = window.find(ch, at + 1)) {
      if (runMatchesAt(run, text, at - run.anchor)) return at - run.anchor;
    }
    return npos;
  }
  const Token& head = tokens_[run.begin];
  for (size_t p = from; p <= last; ++p) {
    if (tokenAccepts(head, text[p]) && runMatchesAt(run, text, p)) return p;
  }
  return npos;
}

bool WildcardPattern::matchRuns(std::u32string_view text, bool anchoredStart,
                                bool anchoredEnd) const {
  size_t first = 0;
  size_t last = runs_.size();
  size_t pos = 0;
  size_t limit = text.size();
  if (anchoredStart && first < last) {
    const Run& run = runs_[first];
    if (run.size() > limit || !runMatchesAt(run, text, 0)) return false;
    pos = run.size();
    ++first;
  }
  if (anchoredEnd && first < last) {
    const Run& run = runs_[last - 1];
    if (run.size() > limit - pos || !runMatchesAt(run, text, limit - run.size())) return false;
    limit -= run.size();
    --last;
  }
  // Between stars: the leftmost place of each run leaves the most room for the next.
  for (size_t k = first; k < last; ++k) {
    size_t at = findRun(runs_[k], text, pos, limit);
    if (at == std::u32string_view::npos) return false;
    pos = at + runs_[k].size();
  }
  return true;
}

bool WildcardPattern::matches(std::u32string_view text) const {
  if (!hasStar_) {
    if (runs_.empty()) return text.empty();
    return text.size() == runs_[0].size() && runMatchesAt(runs_[0], text, 0);
  }
  return matchRuns(text, !leadingStar_, !trailingStar_);
}

bool WildcardPattern::foundIn(std::u32string_view text) const {
  return matchRuns(text, false, false);
}

std::vector<std::u32string> WildcardPattern::literals() const {
  std::vector<std::u32string> out;
  for (const Run& run : runs_) {
    std::u32string stretch;
    for (size_t t = run.begin; t <= run.end; ++t) {
      if (t < run.end && tokens_[t].kind == Token::Literal) {
        stretch.push_back(tokens_[t].ch);
      } else if (!stretch.empty()) {
        out.push_back(std::move(stretch));
        stretch.clear();
      }
    }
  }
  return out;
}

// As foundIn places each run at its leftmost place after the one before, so does
// the search, part by part: a run not found in the characters so far may still
// begin in its last size - 1 characters.
bool WildcardPattern::Search::feed(std::u32string_view chars) {
  if (found()) return true;
  text_.append(chars);
  while (!found()) {
    const Run& run = pattern_->runs_[run_];
    const size_t at = pattern_->findRun(run, text_, from_, text_.size());
    if (at == std::u32string::npos) {
      const size_t keep = std::max(from_, text_.size() - std::min(text_.size(), run.size() - 1));
      text_.erase(0, keep);
      from_ = 0;
      return false;
    }
    from_ = at + run.size();
    ++run_;
  }
  text_.clear();
  return true;
}

}  // namespace kadrel
