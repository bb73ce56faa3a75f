// Step lines: SplitStepLine, ValidateStep and DescribeStep over arbitrary lines.
// Input: eight bytes answering the problem boxes (a set bit is Cancel), then the
// line. Properties: the fields are the comma-separated items but the last; the
// result is 1, 2 or 7, with boxes shown exactly when it is not 1 and Cancel only
// when it is 2; a valid mode-0 step carries its sixth field "0"; a valid step
// checks again without a box; the description never throws and has no blank ends.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "combo/step_description.h"
#include "combo/step_line.h"
#include "combo/step_validation.h"
#include "core/conversions.h"
#include "fuzz_support.h"

using namespace kadrel;
using kadrel::fuzz::AnswerWithBits;
using kadrel::test::FakeHost;

namespace {

void CheckDescription(const StepRecord& step) {
  const std::string text = DescribeStep(step);
  FUZZ_REQUIRE(text.empty() || (text.front() != ' ' && text.back() != ' '));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const uint64_t answers = input.ConsumeIntegral<uint64_t>();
  const std::string line = input.ConsumeRemainingBytesAsString();

  StepRecord step = SplitStepLine(line);
  size_t commas = 0;
  for (char c : line) commas += c == ',';
  FUZZ_REQUIRE(static_cast<size_t>(step.size()) == commas);
  std::string joined;
  for (const auto& f : step.fields()) joined += f + ",";
  FUZZ_REQUIRE(line.compare(0, joined.size(), joined) == 0);
  FUZZ_REQUIRE(line.find(',', joined.size()) == std::string::npos);
  CheckDescription(step);

  FakeHost host;
  AnswerWithBits(host, answers);
  const StepCheck result = ValidateStep(host, step, line, CodePage::CP932);
  FUZZ_REQUIRE(result == StepCheck::Valid || result == StepCheck::Cancelled ||
               result == StepCheck::Invalid);
  FUZZ_REQUIRE((result == StepCheck::Valid) == host.boxes.empty());
  FUZZ_REQUIRE((result == StepCheck::Cancelled) == (host.cancels > 0));
  CheckDescription(step);
  if (result != StepCheck::Valid) return 0;

  const auto mode = TryReadInteger(step.field(1));
  FUZZ_REQUIRE(mode && *mode >= 0 && *mode <= 5);
  if (*mode == 0) FUZZ_REQUIRE(step.size() == 6 && step.field(6) == "0");
  FUZZ_REQUIRE(!DescribeStep(step).empty());

  StepRecord again = SplitStepLine(line);
  FakeHost quiet;
  AnswerWithBits(quiet, ~0ull);
  FUZZ_REQUIRE(ValidateStep(quiet, again, line, CodePage::CP932) == StepCheck::Valid &&
               quiet.boxes.empty());
  return 0;
}
