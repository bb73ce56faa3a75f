// A whole run over a file in memory: an arbitrary step line (or up to four, as a
// COMBO!! run) over arbitrary bytes, as START would run it after the check. The
// same run is then repeated with a cancel at some line.
// Input: a flags byte (code page or auto, CompMode, UpdateNoFile, COMBO!!), the yield to
// cancel at, the step line(s), then the file.
// Properties: no crash, no sanitizer report, no hang; a run that showed a box
// leaves the target with its previous content (or its backup copy does); a run
// that replaced nothing with UpdateNoFile 0 leaves the very bytes; line-end
// conversion leaves no lone CR or LF; extraction never touches the target; a
// cancelled run leaves the previous or the complete new content.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "run/prepare_run.h"
#include "run/run_context.h"
#include "run/run_driver.h"

using namespace kadrel;
using kadrel::fuzz::AnswerWithBits;
using kadrel::test::FakeFiles;
using kadrel::test::FakeHost;

namespace {

const std::string kTarget = "/data/t.txt";
const std::string kBackup = "/data/t.txt_BK";

struct Outcome {
  FakeFiles files{FakeFiles::Backing::Memory};
  int boxes = 0;
  long yields = 0;
  bool unchanged = false;  // the run left the target as it was: nothing to replace
  bool cancelled = false;
};

Outcome Run(const std::vector<std::string>& steps, const std::string& content, uint8_t flags,
            size_t piece, long cancelAt) {
  Outcome o;
  o.files.readPiece = piece;
  o.files.memory[kTarget] = content;
  RunRequest request;
  request.listEntries = {kTarget};
  request.multiLineReplacement = "1\r\n2";  // the replacement of a step whose field 6 is on
  request.options.codePage = (flags & 3) == 3 ? CodePageSetting::Auto()
                                              : CodePageSetting(static_cast<CodePage>(flags & 3));
  request.options.CompMode = (flags >> 2) & 1;
  request.options.UpdateNoFile = (flags >> 3) & 1;
  request.options.BkupEdit = (flags >> 4) & 1;
  request.combo = (flags >> 5) & 1;
  if (request.combo) {
    request.comboSteps = steps;
    request.comboText = "<< fuzz >>\r\n";
  } else {
    request.stepLine = steps[0];
  }
  FakeHost host;
  AnswerWithBits(host, 0);
  // A refused step still runs: the driver must cope.
  PreparedRun prepared = PrepareRun(host, o.files, request);
  RunContext& ctx = *prepared.context;
  const size_t checkBoxes = host.boxes.size();
  host.cancelAtYield(&ctx.CancelFlag, cancelAt);
  const RunReport report = RunAll(ctx);
  o.boxes = static_cast<int>(host.boxes.size() - checkBoxes);
  o.yields = host.yields;
  o.unchanged = report.targets.at(0).outcome == TargetOutcome::Unchanged;
  o.cancelled = ctx.CancelFlag.load();
  return o;
}

const std::string* File(const Outcome& o, const std::string& path) {
  auto it = o.files.memory.find(path);
  return it == o.files.memory.end() ? nullptr : &it->second;
}

// The previous content is in the target or, failing that, in its backup copy.
bool PreviousKept(const Outcome& o, const std::string& content) {
  const std::string* t = File(o, kTarget);
  const std::string* b = File(o, kBackup);
  return (t && *t == content) || (b && *b == content);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const uint8_t flags = input.ConsumeIntegral<uint8_t>();
  const long cancelAt = input.ConsumeIntegralInRange<long>(1, 64);
  const size_t piece = input.ConsumeIntegralInRange<size_t>(1, 300);
  std::vector<std::string> steps;
  const int count = ((flags >> 5) & 1) ? input.ConsumeIntegralInRange<int>(1, 4) : 1;
  for (int i = 0; i < count; ++i) steps.push_back(input.ConsumeRandomLengthString(60));
  const std::string content = input.ConsumeRemainingBytesAsString();
  const bool combo = (flags >> 5) & 1;

  const Outcome full = Run(steps, content, flags, piece, 0);
  const std::string* after = File(full, kTarget);
  FUZZ_REQUIRE(after != nullptr);
  if (full.boxes > 0) FUZZ_REQUIRE(PreviousKept(full, content));
  if (!combo) {
    const std::string& mode = steps[0].substr(0, steps[0].find(','));
    if (mode == "3" || mode == "4") FUZZ_REQUIRE(*after == content);
    if (mode == "0" && full.boxes == 0 && full.unchanged) FUZZ_REQUIRE(*after == content);
    // (A UTF-16 file, read with auto, ends its lines in 16-bit units.)
    const bool utf16 =
        (flags & 3) == 3 && content.size() >= 2 &&
        (content.compare(0, 2, "\xFF\xFE") == 0 || content.compare(0, 2, "\xFE\xFF") == 0);
    if (mode == "1" && full.boxes == 0 && !utf16) {
      for (size_t i = 0; i < after->size(); ++i) {
        if ((*after)[i] == '\r') FUZZ_REQUIRE(i + 1 < after->size() && (*after)[i + 1] == '\n');
        if ((*after)[i] == '\n') FUZZ_REQUIRE(i > 0 && (*after)[i - 1] == '\r');
      }
    }
  }

  if (cancelAt <= full.yields) {
    const Outcome cut = Run(steps, content, flags, piece, cancelAt);
    const std::string* now = File(cut, kTarget);
    FUZZ_REQUIRE(now != nullptr);
    FUZZ_REQUIRE(*now == content || *now == *after ||
                 (cut.boxes > 0 && PreviousKept(cut, content)));
  }
  return 0;
}
