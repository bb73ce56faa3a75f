#include "io/content_hash.h"

#include <algorithm>
#include <cstring>

namespace kadrel {

namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;
constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ULL;

uint64_t Rotl(uint64_t x, int r) {
  return (x << r) | (x >> (64 - r));
}

uint64_t Read64(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;  // the machine is little-endian, as the algorithm reads
}

uint32_t Read32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

uint64_t Round(uint64_t acc, uint64_t input) {
  acc += input * kPrime2;
  return Rotl(acc, 31) * kPrime1;
}

uint64_t Merge(uint64_t h, uint64_t acc) {
  h ^= Round(0, acc);
  return h * kPrime1 + kPrime4;
}

void Stripe(uint64_t (&acc)[4], const unsigned char* p) {
  for (int i = 0; i < 4; ++i) acc[i] = Round(acc[i], Read64(p + 8 * i));
}

}  // namespace

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "XXH64 reads little-endian words");

void ContentHash::add(std::string_view bytes) {
  auto p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t n = bytes.size();
  total_ += n;
  if (pendingSize_ > 0) {
    const size_t take = std::min(n, sizeof pending_ - pendingSize_);
    std::memcpy(pending_ + pendingSize_, p, take);
    pendingSize_ += take;
    p += take;
    n -= take;
    if (pendingSize_ < sizeof pending_) return;
    Stripe(acc_, pending_);
    pendingSize_ = 0;
  }
  for (; n >= 32; p += 32, n -= 32) Stripe(acc_, p);
  std::memcpy(pending_, p, n);
  pendingSize_ = n;
}

uint64_t ContentHash::value() const {
  uint64_t h;
  if (total_ >= 32) {
    h = Rotl(acc_[0], 1) + Rotl(acc_[1], 7) + Rotl(acc_[2], 12) + Rotl(acc_[3], 18);
    for (uint64_t acc : acc_) h = Merge(h, acc);
  } else {
    h = kPrime5;  // seed 0
  }
  h += total_;
  const unsigned char* p = pending_;
  size_t n = pendingSize_;
  for (; n >= 8; p += 8, n -= 8) h = Rotl(h ^ Round(0, Read64(p)), 27) * kPrime1 + kPrime4;
  if (n >= 4) {
    h = Rotl(h ^ (Read32(p) * kPrime1), 23) * kPrime2 + kPrime3;
    p += 4;
    n -= 4;
  }
  for (; n > 0; ++p, --n) h = Rotl(h ^ (*p * kPrime5), 11) * kPrime1;
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  h *= kPrime3;
  h ^= h >> 32;
  return h;
}

}  // namespace kadrel
