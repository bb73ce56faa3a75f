#include "text/byte_search.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kadrel {

namespace {

constexpr size_t npos = std::string_view::npos;

// How often a byte value turns up in the text files Kadrel meets (Japanese prose
// and ASCII in the supported code pages), per ten thousand bytes, roughly: the
// needle probes its rarest positions.
int Commonness(unsigned char b) {
  if (b == ' ') return 500;
  if (b == '\r' || b == '\n') return 100;
  if (b == '\t') return 20;
  if (b < 0x20 || b == 0x7F) return 1;
  if (b >= '0' && b <= '9') return 100;
  if (b >= 'a' && b <= 'z') return std::strchr("etaoinsrhl", b) != nullptr ? 300 : 100;
  if (b >= 'A' && b <= 'Z') return 40;
  if (b < 0x80) return 30;                              // punctuation
  if (b >= 0x81 && b <= 0x83) return 600;               // CP932 kana leads
  if (b == 0xE3 || b == 0xA4 || b == 0xA5) return 500;  // UTF-8 and EUC-JP kana leads
  if (b < 0xC0) return 200;                             // trails, continuations
  return 100;
}

int Commonness(const ByteSet& set) {
  int sum = 0;
  for (int b = 0; b < 256; ++b)
    if (set.has(static_cast<unsigned char>(b))) sum += Commonness(static_cast<unsigned char>(b));
  return sum;
}

}  // namespace

int ByteSet::count() const {
  int n = 0;
  for (uint64_t word : bits) n += std::popcount(word);
  return n;
}

ByteNeedle::Probe ByteNeedle::ProbeFor(size_t offset, const ByteSet& set) {
  Probe probe;
  probe.offset = offset;
  std::vector<unsigned char> values;
  for (int b = 0; b < 256; ++b)
    if (set.has(static_cast<unsigned char>(b))) values.push_back(static_cast<unsigned char>(b));
  // A letter in both cases: one value under the mask 0x20.
  if (values.size() == 2 && (values[0] ^ values[1]) == 0x20) {
    probe.mask = 0x20;
    values = {static_cast<unsigned char>(values[0] | 0x20)};
  }
  if (values.empty() || values.size() > probe.values.size()) return probe;
  probe.count = static_cast<int>(values.size());
  for (size_t k = 0; k < probe.values.size(); ++k)
    probe.values[k] = values[std::min(k, values.size() - 1)];
  return probe;
}

ByteNeedle::ByteNeedle(std::vector<ByteSet> sets) : sets_(std::move(sets)) {
  int firstCost = 0, secondCost = 0;
  for (size_t k = 0; k < sets_.size(); ++k) {
    never_ = never_ || sets_[k].count() == 0;
    Probe probe = ProbeFor(k, sets_[k]);
    if (probe.count == 0) continue;
    const int cost = Commonness(sets_[k]);
    if (first_.count == 0 || cost < firstCost) {
      second_ = first_, secondCost = firstCost;
      first_ = probe, firstCost = cost;
    } else if (second_.count == 0 || cost < secondCost) {
      second_ = probe, secondCost = cost;
    }
  }
  if (second_.count == 0) second_ = first_;
}

bool ByteNeedle::matchesAt(std::string_view hay, size_t i) const {
  for (size_t k = 0; k < sets_.size(); ++k) {
    if (!sets_[k].has(static_cast<unsigned char>(hay[i + k]))) return false;
  }
  return true;
}

size_t ByteNeedle::findScalar(std::string_view hay, size_t from, size_t last) const {
  if (first_.count == 1 && first_.mask == 0) {
    // One value at the rarest position: memchr takes the stride.
    const unsigned char value = first_.values[0];
    for (size_t i = from; i <= last;) {
      const void* hit = std::memchr(hay.data() + i + first_.offset, value, last - i + 1);
      if (hit == nullptr) return npos;
      i = static_cast<size_t>(static_cast<const char*>(hit) - hay.data()) - first_.offset;
      if (matchesAt(hay, i)) return i;
      ++i;
    }
    return npos;
  }
  for (size_t i = from; i <= last; ++i) {
    if (matchesAt(hay, i)) return i;
  }
  return npos;
}

#if defined(__SSE2__)
namespace {

// The lanes of v where the probe's test holds, as 0xFF bytes.
template <int kValues>
__m128i ProbeLanes(__m128i v, __m128i mask, __m128i a, __m128i b, __m128i c) {
  v = _mm_or_si128(v, mask);
  __m128i hit = _mm_cmpeq_epi8(v, a);
  if constexpr (kValues > 1) hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, b));
  if constexpr (kValues > 2) hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, c));
  return hit;
}

}  // namespace

// Sixteen places at a time: the two probes' bytes of each place tested at once,
// the places where both hold then checked whole.
template <int kFirst, int kSecond>
size_t ByteNeedle::findVector(std::string_view hay, size_t from, size_t last) const {
  auto broadcast = [](unsigned char b) { return _mm_set1_epi8(static_cast<char>(b)); };
  const __m128i m1 = broadcast(first_.mask), a1 = broadcast(first_.values[0]),
                b1 = broadcast(first_.values[1]), c1 = broadcast(first_.values[2]);
  const __m128i m2 = broadcast(second_.mask), a2 = broadcast(second_.values[0]),
                b2 = broadcast(second_.values[1]), c2 = broadcast(second_.values[2]);
  const char* p1 = hay.data() + first_.offset;
  const char* p2 = hay.data() + second_.offset;
  size_t i = from;
  for (; i + 15 <= last; i += 16) {
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p1 + i));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p2 + i));
    const __m128i both = _mm_and_si128(ProbeLanes<kFirst>(v1, m1, a1, b1, c1),
                                       ProbeLanes<kSecond>(v2, m2, a2, b2, c2));
    for (unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(both)); bits != 0;
         bits &= bits - 1) {
      const size_t at = i + static_cast<size_t>(std::countr_zero(bits));
      if (matchesAt(hay, at)) return at;
    }
  }
  return i <= last ? findScalar(hay, i, last) : npos;
}
#endif

size_t ByteNeedle::find(std::string_view hay, size_t from) const {
  if (never_ || sets_.empty() || hay.size() < sets_.size()) return npos;
  const size_t last = hay.size() - sets_.size();  // the last place the needle fits
  if (from > last) return npos;
  if (sets_.size() == 1 && first_.count == 1 && first_.mask == 0) {  // one byte: memchr's
    const void* hit = std::memchr(hay.data() + from, first_.values[0], hay.size() - from);
    return hit == nullptr ? npos : static_cast<size_t>(static_cast<const char*>(hit) - hay.data());
  }
#if defined(__SSE2__)
  // One instance per count of probe values, so that the loop holds no branch.
  switch (first_.count * 4 + second_.count) {
    case 1 * 4 + 1:
      return findVector<1, 1>(hay, from, last);
    case 1 * 4 + 2:
      return findVector<1, 2>(hay, from, last);
    case 1 * 4 + 3:
      return findVector<1, 3>(hay, from, last);
    case 2 * 4 + 1:
      return findVector<2, 1>(hay, from, last);
    case 2 * 4 + 2:
      return findVector<2, 2>(hay, from, last);
    case 2 * 4 + 3:
      return findVector<2, 3>(hay, from, last);
    case 3 * 4 + 1:
      return findVector<3, 1>(hay, from, last);
    case 3 * 4 + 2:
      return findVector<3, 2>(hay, from, last);
    case 3 * 4 + 3:
      return findVector<3, 3>(hay, from, last);
    default:
      break;  // no position narrow enough to probe
  }
#endif
  return findScalar(hay, from, last);
}

namespace {

// The codes that may stand for a character of a literal: every code of every
// character the rule makes equal to it.
std::vector<std::string> CodesFor(char32_t c, const TextCodec& codec, CaseRule rule) {
  std::vector<std::string> codes;
  for (char32_t variant : CaseVariants(c, rule)) {
    for (std::string& code : codec.codesOf(variant)) codes.push_back(std::move(code));
  }
  return codes;
}

}  // namespace

std::optional<ByteNeedle> NeedleFor(const std::vector<std::u32string>& literals,
                                    const TextCodec& codec, CaseRule rule) {
  std::vector<ByteSet> best, stretch;
  auto endStretch = [&] {
    if (stretch.size() > best.size()) best = stretch;
    stretch.clear();
  };
  for (const std::u32string& literal : literals) {
    for (char32_t c : literal) {
      const std::vector<std::string> codes = CodesFor(c, codec, rule);
      if (codes.empty()) {
        // A character no line can hold: the text never matches, and a needle with
        // an empty set stands nowhere.
        return ByteNeedle({ByteSet{}});
      }
      const size_t length = codes.front().size();
      const bool oneLength = std::all_of(codes.begin(), codes.end(), [&](const std::string& code) {
        return code.size() == length;
      });
      if (!oneLength) {
        endStretch();
        continue;
      }
      std::vector<ByteSet> sets(length);
      for (const std::string& code : codes) {
        for (size_t k = 0; k < length; ++k) sets[k].add(static_cast<unsigned char>(code[k]));
      }
      stretch.insert(stretch.end(), sets.begin(), sets.end());
    }
    endStretch();
  }
  if (best.empty()) return std::nullopt;
  return ByteNeedle(std::move(best));
}

bool NeedleIsExact(std::u32string_view literal, const TextCodec& codec, CaseRule rule) {
  for (char32_t c : literal) {
    // An escape's byte may read as a character, or begin a code of two.
    if (IsByteEscape(c)) return false;
    const std::vector<std::string> codes = CodesFor(c, codec, rule);
    for (const std::string& code : codes) {
      if (code.size() != codes.front().size() || (code.size() > 1 && codes.size() > 1))
        return false;
    }
  }
  return true;
}

size_t NeedleSet::find(std::string_view window, uint64_t at) {
  size_t first = npos;
  for (Entry& e : entries_) {
    const size_t m = e.needle->size();
    if (!(e.found && e.next >= at && e.next - at + m <= window.size())) {
      const size_t from =
          e.found || e.clearTo <= at ? 0 : std::min<uint64_t>(e.clearTo - at, window.size());
      const size_t p = e.needle->find(window, from);
      e.found = p != npos;
      if (e.found) {
        e.next = at + p;
      } else {
        // A place whose needle would run past the window's end is not known yet.
        e.clearTo = at + window.size() - std::min(window.size(), m > 0 ? m - 1 : 0);
      }
    }
    if (e.found) first = std::min<size_t>(first, e.next - at);
  }
  return first;
}

LineEndCount CountLineEnds(std::string_view bytes, bool withCrLfs) {
  LineEndCount count;
  const size_t n = bytes.size();
  size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time: each lane counts its CRs (and the CRs followed by an
  // LF, loaded one byte further on) for up to 255 rounds, then the lanes are summed.
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), zero = _mm_setzero_si128();
  auto sum = [&](__m128i lanes) {
    const __m128i halves = _mm_sad_epu8(lanes, zero);
    return static_cast<size_t>(_mm_cvtsi128_si32(halves)) +
           static_cast<size_t>(_mm_cvtsi128_si32(_mm_srli_si128(halves, 8)));
  };
  while (i + 17 <= n) {
    __m128i crs = zero, pairs = zero;
    for (int round = 0; round < 255 && i + 17 <= n; ++round, i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
      const __m128i isCr = _mm_cmpeq_epi8(v, cr);
      crs = _mm_sub_epi8(crs, isCr);
      if (withCrLfs) {
        const __m128i next =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i + 1));
        pairs = _mm_sub_epi8(pairs, _mm_and_si128(isCr, _mm_cmpeq_epi8(next, lf)));
      }
    }
    count.crs += sum(crs);
    count.crLfs += sum(pairs);
  }
#endif
  for (; i < n; ++i) {
    if (bytes[i] != '\r') continue;
    ++count.crs;
    if (withCrLfs && i + 1 < n && bytes[i + 1] == '\n') ++count.crLfs;
  }
  return count;
}

}  // namespace kadrel
