#include "run/preview/line_diff.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>

namespace kadrel {

std::vector<std::string_view> SplitAfterLf(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    const void* lf = std::memchr(text.data() + start, '\n', text.size() - start);
    const size_t end = lf == nullptr
                           ? text.size()
                           : static_cast<size_t>(static_cast<const char*>(lf) - text.data()) + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

namespace {

// How far the search for the fewest changes goes from a difference (changes).
constexpr int kMaxEdits = 64;
// Equal lines in a row that end that search: the texts agree again.
constexpr size_t kSyncLines = 1;
// Equal lines in a row that make a line found again further on a place where
// the texts agree (one would often be a blank line or a brace).
constexpr size_t kAnchorLines = 3;
// Lines of each side looked up further on the other when the search ends
// without agreement, and the places of each tried.
constexpr size_t kAnchorLook = 8;
constexpr size_t kAnchorTries = 8;

using Lines = std::vector<std::string_view>;

class Differ {
 public:
  Differ(const Lines& a, const Lines& b) : a_(a), b_(b) {}

  std::vector<LineChange> run() {
    size_t n = a_.size(), m = b_.size();
    while (n > 0 && m > 0 && equal(n - 1, m - 1)) --n, --m;
    n_ = n;
    m_ = m;
    size_t i = 0, j = 0;
    for (;;) {
      while (i < n_ && j < m_ && equal(i, j)) ++i, ++j;
      if (i == n_ || j == m_) {
        if (i < n_ || j < m_) emit(i, n_ - i, j, m_ - j);
        break;
      }
      if (searchNear(i, j)) continue;
      if (followAnchor(i, j)) continue;
      takeFurthest(i, j);
    }
    return std::move(changes_);
  }

 private:
  bool equal(size_t i, size_t j) const { return a_[i] == b_[j]; }

  // Equal lines from (i, j), counted up to limit.
  size_t snake(size_t i, size_t j, size_t limit) const {
    size_t s = 0;
    while (s < limit && i + s < n_ && j + s < m_ && equal(i + s, j + s)) ++s;
    return s;
  }

  void emit(size_t oldStart, size_t oldCount, size_t newStart, size_t newCount) {
    if (!changes_.empty()) {
      LineChange& last = changes_.back();
      if (last.oldStart + last.oldCount == oldStart && last.newStart + last.newCount == newStart) {
        last.oldCount += oldCount;
        last.newCount += newCount;
        return;
      }
    }
    changes_.push_back({oldStart, oldCount, newStart, newCount});
  }

  static constexpr int kWidth = 2 * kMaxEdits + 3;
  static constexpr int kOffset = kMaxEdits + 1;

  // The fewest changes from the difference at (i, j), at most kMaxEdits of
  // them, up to the next equal line or the end of both texts. Found:
  // the changes are emitted and (i, j) moved to where the texts agree again.
  // Otherwise nothing is emitted; takeFurthest can then take the search's best.
  bool searchNear(size_t& i, size_t& j) {
    const long n = static_cast<long>(n_ - i), m = static_cast<long>(m_ - j);
    // Each level writes every diagonal it reaches before the next reads them.
    trace_.resize(static_cast<size_t>((kMaxEdits + 1) * kWidth));
    long bestReach = -1;
    furthestK_ = kNoDiagonal;
    int endD = -1, endK = 0;
    long endX = 0;
    for (int d = 0; d <= kMaxEdits && endD < 0; ++d) {
      long* v = &trace_[static_cast<size_t>(d * kWidth + kOffset)];
      const long* prev = d > 0 ? v - kWidth : nullptr;
      for (int k = -d; k <= d; k += 2) {
        long x = 0;
        if (d > 0) {
          x = std::max(down(prev, k, d, m), right(prev, k, d, n));
          if (x < 0) {
            v[k] = -1;
            continue;
          }
        }
        const long y = x - k;
        const size_t s = snake(i + static_cast<size_t>(x), j + static_cast<size_t>(y), kSyncLines);
        if (s == kSyncLines || (x + static_cast<long>(s) == n && y + static_cast<long>(s) == m)) {
          endD = d, endK = k, endX = x;
          break;
        }
        v[k] = x + static_cast<long>(s);
        if (d == kMaxEdits && 2 * v[k] - k > bestReach) {
          bestReach = 2 * v[k] - k;
          furthestK_ = k;
        }
      }
    }
    if (endD < 0) return false;
    moveAlong(i, j, endD, endK, endX);
    return true;
  }

  // After a search that found no agreement: the changes up to the furthest
  // point it reached, where the fewest changes of the search lead.
  void takeFurthest(size_t& i, size_t& j) {
    if (furthestK_ == kNoDiagonal) {  // nothing reachable: cannot happen before both ends
      emit(i, n_ - i, j, m_ - j);
      i = n_, j = m_;
      return;
    }
    const long x = trace_[static_cast<size_t>(kMaxEdits * kWidth + kOffset + furthestK_)];
    moveAlong(i, j, kMaxEdits, furthestK_, x);
  }

  void moveAlong(size_t& i, size_t& j, int d, int k, long x) {
    emitPath(i, j, d, k);
    i += static_cast<size_t>(x);
    j += static_cast<size_t>(x - k);
  }

  // The furthest point of diagonal k reached by a step down (a line added) from
  // diagonal k + 1 at d - 1 changes; -1 when there is none.
  static long down(const long* prev, int k, int d, long m) {
    if (k + 1 > d - 1 || prev[k + 1] < 0) return -1;
    const long x = prev[k + 1];
    return x - k <= m ? x : -1;
  }
  // The same by a step right (a line removed) from diagonal k - 1.
  static long right(const long* prev, int k, int d, long n) {
    if (k - 1 < -(d - 1) || prev[k - 1] < 0) return -1;
    const long x = prev[k - 1] + 1;
    return x <= n ? x : -1;
  }

  // Emits the changes of the path that ends on diagonal k after d changes,
  // walking it back through the trace.
  void emitPath(size_t i, size_t j, int d, int k) {
    std::vector<std::pair<bool, std::pair<long, long>>> steps;  // added?, start point
    const long n = static_cast<long>(n_ - i), m = static_cast<long>(m_ - j);
    for (; d > 0; --d) {
      const long* prev = &trace_[static_cast<size_t>((d - 1) * kWidth + kOffset)];
      const long viaDown = down(prev, k, d, m), viaRight = right(prev, k, d, n);
      if (viaDown >= viaRight) {
        steps.push_back({true, {viaDown, viaDown - (k + 1)}});
        ++k;
      } else {
        steps.push_back({false, {viaRight - 1, viaRight - 1 - (k - 1)}});
        --k;
      }
    }
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
      const auto [added, at] = *it;
      emit(i + static_cast<size_t>(at.first), added ? 0 : 1, j + static_cast<size_t>(at.second),
           added ? 1 : 0);
    }
  }

  // Where the texts agree again further on: one of the next lines of either side
  // found again on the other, the first of kAnchorLines equal lines (or of the end).
  // The lines passed over are one change.
  bool followAnchor(size_t& i, size_t& j) {
    if (ha_.empty()) {  // lines are hashed only when a search first needs it
      ha_ = Hashes(a_, n_);
      hb_ = Hashes(b_, m_);
      indexA_ = Index(ha_);
      indexB_ = Index(hb_);
    }
    size_t bestGap = std::numeric_limits<size_t>::max(), toI = 0, toJ = 0;
    auto consider = [&](size_t p, size_t q) {
      const size_t gap = (p - i) + (q - j);
      if (gap > 0 && gap < bestGap) bestGap = gap, toI = p, toJ = q;
    };
    for (size_t t = 0; t < kAnchorLook; ++t) {
      if (j + t < m_) {
        const size_t p =
            findAgain(indexA_, hb_[j + t], i, [&](size_t at) { return agrees(at, j + t); });
        if (p != kNone) consider(p, j + t);
      }
      if (i + t < n_) {
        const size_t q =
            findAgain(indexB_, ha_[i + t], j, [&](size_t at) { return agrees(i + t, at); });
        if (q != kNone) consider(i + t, q);
      }
    }
    if (bestGap == std::numeric_limits<size_t>::max()) return false;
    emit(i, toI - i, j, toJ - j);
    i = toI;
    j = toJ;
    return true;
  }

  bool agrees(size_t p, size_t q) const {
    const size_t s = snake(p, q, kAnchorLines);
    return s == kAnchorLines || (p + s == n_ && q + s == m_);
  }

  using HashIndex = std::vector<std::pair<uint64_t, size_t>>;
  static constexpr size_t kNone = std::numeric_limits<size_t>::max();

  static std::vector<uint64_t> Hashes(const Lines& lines, size_t count) {
    std::vector<uint64_t> hashes;
    hashes.reserve(count);
    for (size_t i = 0; i < count; ++i) hashes.push_back(std::hash<std::string_view>{}(lines[i]));
    return hashes;
  }

  static HashIndex Index(const std::vector<uint64_t>& hashes) {
    HashIndex index;
    index.reserve(hashes.size());
    for (size_t i = 0; i < hashes.size(); ++i) index.emplace_back(hashes[i], i);
    std::sort(index.begin(), index.end());
    return index;
  }

  // The first of a few places at or after from whose line has hash and that
  // accept takes; kNone when none does.
  template <typename Accept>
  static size_t findAgain(const HashIndex& index, uint64_t hash, size_t from, Accept&& accept) {
    auto it = std::lower_bound(index.begin(), index.end(), std::make_pair(hash, from));
    for (size_t tries = 0; it != index.end() && it->first == hash && tries < kAnchorTries;
         ++it, ++tries) {
      if (accept(it->second)) return it->second;
    }
    return kNone;
  }

  const Lines& a_;
  const Lines& b_;
  size_t n_ = 0, m_ = 0;           // the lines before the common end
  std::vector<uint64_t> ha_, hb_;  // of those lines, once needed
  std::vector<long> trace_;        // per number of changes, the furthest point of each diagonal
  static constexpr int kNoDiagonal = kWidth;
  int furthestK_ = kNoDiagonal;
  HashIndex indexA_, indexB_;
  std::vector<LineChange> changes_;
};

}  // namespace

std::vector<LineChange> DiffLines(const Lines& oldLines, const Lines& newLines) {
  return Differ(oldLines, newLines).run();
}

}  // namespace kadrel
