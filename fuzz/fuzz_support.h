// What the fuzz targets share beside the test kit (files held in memory, the fake
// host): a check that stops the run with a message, and box answers taken from
// the fuzz input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/host.h"
#include "support/fake_files.h"
#include "support/fake_host.h"

namespace kadrel::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
  std::abort();
}

#define FUZZ_REQUIRE(cond) ((cond) ? (void)0 : ::kadrel::fuzz::Fail(#cond, __FILE__, __LINE__))

// Answers OK/Cancel boxes with the bits of a number, the lowest first (1 = Cancel),
// and every other box with OK. Every box must say something.
inline void AnswerWithBits(test::FakeHost& host, uint64_t bits) {
  host.answer = [bits](const MessageBoxRequest& box) mutable {
    FUZZ_REQUIRE(!box.text.empty());
    if (box.buttons != BoxButtons::OkCancel) return BoxAnswer::Ok;
    const bool cancel = bits & 1;
    bits >>= 1;
    return cancel ? BoxAnswer::Cancel : BoxAnswer::Ok;
  };
}

}  // namespace kadrel::fuzz
