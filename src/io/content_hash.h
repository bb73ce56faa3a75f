// The hash that tells whether a file still holds what a run wrote: XXH64 (seed
// 0) of its bytes, taken as they are written or read, in pieces of any size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kadrel {

class ContentHash {
 public:
  void add(std::string_view bytes);
  uint64_t value() const;
  uint64_t size() const { return total_; }

 private:
  uint64_t acc_[4] = {0x9E3779B185EBCA87ULL + 0xC2B2AE3D27D4EB4FULL, 0xC2B2AE3D27D4EB4FULL, 0,
                      0 - 0x9E3779B185EBCA87ULL};
  unsigned char pending_[32] = {};
  size_t pendingSize_ = 0;
  uint64_t total_ = 0;
};

}  // namespace kadrel
