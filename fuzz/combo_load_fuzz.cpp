// COMBO!! loading of arbitrary files: LoadComboFile (twice, as a drop of two
// files) and the step list file reader. Input: a byte choosing the code page,
// eight bytes answering the problem boxes, then the file.
// Properties: at most 200 steps; every loaded step is a line of the file, in file
// order, that checks again without a box; when the whole file loaded, the text
// has one line per step and per comment; the step list file keeps every valid step.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "combo/combo_loader.h"
#include "combo/step_line.h"
#include "combo/step_list_file.h"
#include "combo/step_validation.h"
#include "fuzz_support.h"
#include "text/utf.h"

using namespace kadrel;
using kadrel::fuzz::AnswerWithBits;
using kadrel::test::FakeFiles;
using kadrel::test::FakeHost;

namespace {

// The file's lines as the loader sees them (decoded, as UTF-8; a line ends at CR,
// CR LF or LF).
std::vector<std::string> Lines(const std::string& bytes, CodePage cp) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r') {
      line += bytes[i];
      continue;
    }
    lines.push_back(line);
    line.clear();
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  if (!line.empty()) lines.push_back(line);
  std::vector<std::string> split;
  for (const auto& l : lines) {
    const std::string text = U32ToUtf8(CodecFor(cp).decode(l));
    for (size_t from = 0;;) {
      const size_t lf = text.find('\n', from);
      split.push_back(text.substr(from, lf - from));
      if (lf == std::string::npos) break;
      from = lf + 1;
    }
  }
  return split;
}

size_t CountLines(const std::string& text) {
  size_t n = 0;
  for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++n;
  return n;
}

bool IsComment(const std::string& line) {
  if (line.find_first_not_of(' ') == std::string::npos) return false;
  const StepRecord r = SplitStepLine(line);
  return r.size() >= 1 && r.field(1) == "#";
}

// Every step is a line of the file, in order, and checks again without a box.
void CheckSteps(const std::vector<std::string>& steps, const std::vector<std::string>& lines,
                size_t copies, CodePage cp) {
  size_t at = 0, round = 0;
  for (const std::string& step : steps) {
    while (round < copies && (at == lines.size() || lines[at] != step)) {
      if (at == lines.size()) {
        at = 0;
        ++round;
      } else {
        ++at;
      }
    }
    FUZZ_REQUIRE(round < copies);
    ++at;
    StepRecord record = SplitStepLine(step);
    FakeHost quiet;
    AnswerWithBits(quiet, 0);
    FUZZ_REQUIRE(ValidateStep(quiet, record, step, cp) == StepCheck::Valid && quiet.boxes.empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const CodePage cp = static_cast<CodePage>(input.ConsumeIntegralInRange<int>(0, 2));
  const uint64_t answers = input.ConsumeIntegral<uint64_t>();
  FakeFiles files(FakeFiles::Backing::Memory);
  files.readPiece = 1 + answers % 97;
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  files.memory["/c/first.txt"] = bytes;
  files.memory["/c/second.txt"] = bytes;
  const std::vector<std::string> lines = Lines(bytes, cp);

  {  // one file
    FakeHost host;
    AnswerWithBits(host, answers);
    ComboModel model;
    const ComboLoadResult r = LoadComboFile(host, files, cp, "/c/first.txt", model);
    FUZZ_REQUIRE(ComboFileOpened(r));
    FUZZ_REQUIRE(model.steps.size() <= kMaxComboSteps);
    CheckSteps(model.steps, lines, 1, cp);
    FUZZ_REQUIRE((r == ComboLoadResult::Cancelled) == (host.cancels > 0));
    if (r == ComboLoadResult::Failed) FUZZ_REQUIRE(model.text.empty());
    if (r == ComboLoadResult::Loaded) {
      size_t comments = 0;
      for (const auto& l : lines) comments += IsComment(l);
      FUZZ_REQUIRE(CountLines(model.text) == model.steps.size() + comments);
    }
  }
  {  // a drop of two files: the limit counts the steps of both
    FakeHost host;
    AnswerWithBits(host, answers);
    ComboModel model;
    LoadComboFiles(host, files, cp, {"/c/first.txt", "/c/second.txt"}, model);
    FUZZ_REQUIRE(model.steps.size() <= kMaxComboSteps);
    CheckSteps(model.steps, lines, 2, cp);
  }
  {  // the step list file: no limit, every valid step kept; behind a UTF-8 byte
     // order mark its lines are UTF-8 whatever the code page
    FakeHost host;
    AnswerWithBits(host, 0);
    ComboModel model;
    FUZZ_REQUIRE(ReadStepListFile(host, files, cp, "/c/first.txt", model).ok());
    if (bytes.starts_with("\xEF\xBB\xBF")) {
      CheckSteps(model.steps, Lines(bytes.substr(3), CodePage::UTF8), 1, cp);
    } else {
      CheckSteps(model.steps, lines, 1, cp);
    }
  }
  return 0;
}
