// The engines' fast paths against the plain path: one step of a random mode, with
// random texts (wildcards, letters of every case, characters of several codes,
// undecodable bytes), over a random file in a random code page, run with the fast
// paths (lines passed over by the prefilter, long lines in parts) and without
// them (every line read whole and decoded). Small reading buffers make most lines
// long and put line ends and characters across buffer edges. Extraction writes
// into a result file of a random code page, as into a joint result file under
// "auto".
// Property: the same output bytes, the same boxes, the same flags.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "core/engine_io.h"
#include "core/run_error.h"
#include "fuzz_support.h"
#include "io/file_encoding.h"
#include "run/runnable_step.h"
#include "text/code_page.h"

using namespace kadrel;
using kadrel::test::FakeFiles;
using kadrel::test::FakeHost;

namespace {

// Characters the texts and the file are made of: ASCII letters (a CP932 trail byte
// can look like one), the wildcard meta characters, full-width, Greek, Cyrillic and
// Roman numeral letters, the Kelvin sign, long s, dotless and dotted I, sharp s,
// kana, a kanji whose trail byte is "\", characters of two or three CP932 codes,
// both spaces, an LF, a byte escape.
const char32_t kPool[] = {
    U'a',  U'b',  U'E',  U'e',      U'R',      U'r',      U'K',      U'k',      U'S',  U's',
    U'I',  U'i',  U'0',  U'7',      U' ',      U'\t',     U'\\',     U'*',      U'?',  U'#',
    U'[',  U']',  U'!',  U'-',      U'Ａ',     U'ａ',     U'Σ',      U'σ',      U'ς',  U'Д',
    U'д',  U'Ⅰ',  U'ⅰ',  U'\u212A', U'\u017F', U'\u0131', U'\u0130', U'\u00DF', U'あ', U'ア',
    U'表', U'纊', U'￢', U'∵',      U'\u3000', U'\n',     U'\xDC81', U'\u00E9'};

char32_t PoolCharacter(FuzzedDataProvider& in) {
  return kPool[in.ConsumeIntegralInRange<size_t>(0, std::size(kPool) - 1)];
}

std::u32string Text(FuzzedDataProvider& in, size_t maxLength) {
  std::u32string text(in.ConsumeIntegralInRange<size_t>(0, maxLength), U' ');
  for (char32_t& c : text) c = PoolCharacter(in);
  return text;
}

// The file: pool characters in any of their codes, line ends of every kind, stray
// bytes; the rest of the input. With longLines, line ends are rare, so that the
// stretches the engines decode around their candidates meet inside lines.
std::string Content(FuzzedDataProvider& in, const TextCodec& codec, bool longLines) {
  std::string bytes;
  while (in.remaining_bytes() > 0 && bytes.size() < 4096) {
    int kind = in.ConsumeIntegralInRange(0, 15);
    if (longLines && kind >= 10 && kind < 13 && in.ConsumeIntegralInRange(0, 63) != 0) kind = 0;
    if (kind < 10) {
      const std::vector<std::string> codes = codec.codesOf(PoolCharacter(in));
      if (!codes.empty()) bytes += codes[in.ConsumeIntegralInRange<size_t>(0, codes.size() - 1)];
    } else if (kind < 13) {
      bytes += kind == 10 ? "\r\n" : kind == 11 ? "\r" : "\n";
    } else {
      bytes += static_cast<char>(in.ConsumeIntegral<uint8_t>());
    }
  }
  return bytes;
}

StepParams Step(FuzzedDataProvider& in, int mode) {
  switch (mode) {
    case 0:
      return ReplaceParams{Text(in, 4), Text(in, 3)};
    case 1:
      return ConvertNewlineParams{};
    case 2: {
      EditLineEndsParams p;
      p.atHead = in.ConsumeBool();
      p.count = in.ConsumeIntegralInRange<int16_t>(0, 6);
      p.insertText = Text(in, 3);
      p.numbering = in.ConsumeBool();
      p.start = in.ConsumeIntegralInRange(0, 999);
      p.step = in.ConsumeIntegralInRange(-5, 5);
      p.numberFormat = std::string(in.ConsumeIntegralInRange(0, 4), '0');
      return p;
    }
    case 3:
      return KeywordRangeParams{Text(in, 4), Text(in, 4)};
    case 4:
      return MatchingLinesParams{Text(in, 4), Text(in, 4), Text(in, 4), in.ConsumeBool(),
                                 in.ConsumeBool()};
    default: {
      DeleteBlanksParams p;
      p.lineDel = in.ConsumeBool();
      p.spaceLineDel = p.lineDel && in.ConsumeBool();
      p.trimLeft = in.ConsumeBool();
      p.trimAll = in.ConsumeBool();
      p.trimRight = in.ConsumeBool();
      return p;
    }
  }
}

struct Outcome {
  std::string output;
  std::vector<std::string> boxes;
  bool errFlag = false;
  int changedFlag = 1;
  int runError = 0;
};

Outcome Run(const StepParams& step, const std::string& content, EngineOptions options,
            CodePage input, CodePage output, size_t buffer, size_t readPiece, bool fastPaths) {
  FakeFiles files(FakeFiles::Backing::Memory);
  files.readPiece = readPiece;
  files.memory["/data/in.txt"] = content;
  FakeHost host;
  const std::atomic<bool> cancel{false};
  EngineIo io(host, cancel);
  options.fastPaths = fastPaths;
  io.options = options;
  io.readPath = "/data/in.txt";
  io.writePath = "/data/in.txt_SEL";
  Outcome o;
  Opened<TargetFile> target = files.openTarget({io.readPath, 0}, false, {});
  FUZZ_REQUIRE(target);
  Opened<NewFile> result = files.createFile({io.writePath, 0}, &target.file->attributes());
  Opened<InputFile> read = target.file->read();
  FUZZ_REQUIRE(result && read);
  io.in = std::make_unique<LineReader>(std::move(read.file), input, buffer);
  io.out = std::make_unique<LineWriter>(result.file->output(), output, buffer);
  try {
    RunStep(io, step);
  } catch (const RunError& e) {
    o.runError = e.number();
  }
  if (io.out && !io.out->close()) io.ErrFlag = true;
  io.closeAll();
  FUZZ_REQUIRE(result.file->complete().ok() && result.file->commit().ok());
  o.output = files.memory[io.writePath];
  for (const auto& box : host.boxes) o.boxes.push_back(box.title + "|" + box.text);
  o.errFlag = io.ErrFlag;
  o.changedFlag = io.ChangedFlag;
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const CodePage input = static_cast<CodePage>(in.ConsumeIntegralInRange(0, 2));
  // An extraction into a joint result file of another code page ("auto"): the
  // lines go out as their characters.
  CodePage output = static_cast<CodePage>(in.ConsumeIntegralInRange(0, 2));
  EngineOptions options;
  options.caseSensitive = in.ConsumeBool();
  options.lineNumbers = in.ConsumeBool();
  options.resultHeaders = in.ConsumeBool();
  options.updateNoFile = in.ConsumeBool();
  const size_t buffer = in.ConsumeIntegralInRange<size_t>(1, 48);
  const size_t readPiece = in.ConsumeIntegralInRange<size_t>(0, 48);
  const int mode = in.ConsumeIntegralInRange(0, 5);
  const StepParams step = Step(in, mode);
  const bool longLines = in.ConsumeBool();
  const std::string content = Content(in, CodecFor(input), longLines);
  if (mode != 3 && mode != 4) output = input;

  const Outcome fast = Run(step, content, options, input, output, buffer, readPiece, true);
  const Outcome plain = Run(step, content, options, input, output, buffer, readPiece, false);
  FUZZ_REQUIRE(fast.output == plain.output);
  FUZZ_REQUIRE(fast.boxes == plain.boxes);
  FUZZ_REQUIRE(fast.errFlag == plain.errFlag);
  FUZZ_REQUIRE(fast.changedFlag == plain.changedFlag);
  FUZZ_REQUIRE(fast.runError == plain.runError);
  return 0;
}
