// The rewriting engines of modes 1, 2 and 5 driven end to end through RunAll over
// real files: whole outputs compared byte for byte, backups, failures and cancel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/file_naming.h"
#include "io/file_layer.h"
#include "run/run_context.h"
#include "run/run_driver.h"
#include "support/fake_files.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"
#include "text/code_page.h"
#include "text/code_page_guess.h"
#include "text/utf.h"

namespace kadrel {
namespace {

using test::FakeHost;
using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The size of the line reader's and writer's buffers in these runs.
constexpr size_t kBuffer = 64;

// Text given in UTF-8 as the CP932 bytes of a file. Bytes that are not UTF-8 pass
// through unchanged (they travel as byte escapes).
std::string Sjis(std::string_view utf8) {
  return CodecFor(CodePage::CP932).encode(Utf8ToU32(utf8));
}

std::string Repeat(std::string_view piece, size_t times) {
  std::string s;
  s.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) s += piece;
  return s;
}

// Byte-for-byte comparison that reports the first difference instead of a diff,
// which would take minutes on outputs of several megabytes.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  const size_t n = std::min(actual.size(), expected.size());
  size_t at = 0;
  while (at < n && actual[at] == expected[at]) ++at;
  const size_t from = at > 16 ? at - 16 : 0;
  return ::testing::AssertionFailure()
         << "sizes " << actual.size() << " and " << expected.size() << ", first difference at byte "
         << at << ": " << ::testing::PrintToString(actual.substr(from, 32)) << " vs "
         << ::testing::PrintToString(expected.substr(from, 32));
}

// Line-ending conversion done the slow way, exactly as described for the mode: line
// input (a line ends at CR or CR LF), then every LF of a line ends a piece written
// with CR LF, and what remains (or the whole line when it held no LF) is written
// with CR LF.
std::string ConvertNewlineReference(const std::string& in) {
  std::string out;
  size_t i = 0;
  while (i < in.size()) {
    size_t cr = in.find('\r', i);
    std::string line = in.substr(i, cr == std::string::npos ? std::string::npos : cr - i);
    i = cr == std::string::npos ? in.size() : cr + 1;
    if (cr != std::string::npos && i < in.size() && in[i] == '\n') ++i;
    size_t start = 0;
    for (size_t k = 0; k < line.size(); ++k) {
      if (line[k] != '\n') continue;
      out += line.substr(start, k - start) + "\r\n";
      start = k + 1;
    }
    if (start == 0 || start < line.size()) out += line.substr(start) + "\r\n";
  }
  return out;
}

class EngineRun : public ::testing::Test {
 protected:
  // Runs one step over the target holding input; returns the target's bytes afterwards.
  std::string Run(std::vector<std::string> step, const std::string& input) {
    WriteFile(target, input);
    ctx.targets = {target};
    ctx.StepArr = StepRecord(std::move(step));
    report = RunAll(ctx);
    return ReadFile(target);
  }
  std::string Backup() const { return MakeOutName(ctx.options, target, OutName::Backup); }

  // The engines over CP932 text, in that code page.
  EngineRun() {
    ctx.lineBufferSize = kBuffer;
    ctx.options.codePage = CodePage::CP932;
  }

  TempDir dir;
  FakeHost host;
  test::FakeFiles files;
  RunContext ctx{host, files};
  RunReport report;
  std::string target = dir.file("ABC.txt");
};

struct Case {
  const char* name;
  std::vector<std::string> fields;  // fields 2 and up; field 1 is the test's mode
  std::string input;
  std::string expected;
};

std::vector<std::string> Step(const char* mode, const std::vector<std::string>& rest) {
  std::vector<std::string> step{mode};
  step.insert(step.end(), rest.begin(), rest.end());
  return step;
}

// --- Mode 1 -------------------------------------------------------------------

TEST_F(EngineRun, ConvertNewlineTurnsEveryLineEndIntoCrLf) {
  const std::vector<Case> cases = {
      {"lf ends", {}, "a\nb\n", "a\r\nb\r\n"},
      {"no final lf", {}, "a\nb", "a\r\nb\r\n"},
      {"empty line kept", {}, "a\n\nb\n", "a\r\n\r\nb\r\n"},
      {"only lfs", {}, "\n\n", "\r\n\r\n"},
      {"crlf unchanged", {}, "a\r\nb\r\n", "a\r\nb\r\n"},
      {"crlf final line end added", {}, "a\r\nb", "a\r\nb\r\n"},
      {"mixed", {}, "a\nb\r\n", "a\r\nb\r\n"},
      {"lone cr becomes crlf", {}, "a\rb\r", "a\r\nb\r\n"},
      {"cr then crlf is an empty line", {}, "a\r\r\nb", "a\r\n\r\nb\r\n"},
      {"lf before crlf adds no line", {}, "b\n\r\nc\n\r", "b\r\nc\r\n"},
      {"crlf then lf", {}, "\r\n\n", "\r\n\r\n"},
      {"single cr", {}, "\r", "\r\n"},
      {"empty file", {}, "", ""},
      {"multi-byte and undecodable bytes kept",
       {},
       Sjis("あ\nｱ\xff\x81\n\x82"),
       Sjis("あ\r\nｱ\xff\x81\r\n\x82\r\n")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run({"1"}, c.input), c.expected);
    EXPECT_EQ(ConvertNewlineReference(c.input), c.expected);
  }
  EXPECT_TRUE(host.boxes.empty()) << host.texts().front();
}

TEST_F(EngineRun, ConvertNewlineStreamsLinesLongerThanTheReadBuffer) {
  // An LF-only file is one input line of several buffers; CR LF and LF CR LF
  // sequences that straddle a buffer boundary are read as one line end.
  const std::string text = Repeat("0123456789abcdef ghijklmnopqrstuvwxyz\n", kBuffer / 16);
  std::vector<std::string> inputs = {text, text.substr(0, text.size() - 1)};
  for (size_t shift = 0; shift < 4; ++shift) {
    std::string crlf = text.substr(0, kBuffer - 2 + shift) + "\r\n" + "tail";
    std::string lfcrlf = text.substr(0, kBuffer - 3 + shift) + "\n\r\n" + "tail\n";
    std::string crcr = text.substr(0, kBuffer - 2 + shift) + "\r\r" + "tail";
    inputs.insert(inputs.end(), {crlf, lfcrlf, crcr});
  }
  for (size_t i = 0; i < inputs.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(SameBytes(Run({"1"}, inputs[i]), ConvertNewlineReference(inputs[i])));
  }
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(EngineRun, ConvertNewlineMatchesTheLineByLineAlgorithmOnRandomText) {
  std::mt19937 rng(12345);
  const std::string alphabet = "aaaaaaaaaab \r\n\n\n\x82\xa0\x81";
  for (size_t size : {size_t{1000}, 3 * kBuffer + 17}) {
    std::string input(size, ' ');
    for (char& c : input) c = alphabet[rng() % alphabet.size()];
    EXPECT_TRUE(SameBytes(Run({"1"}, input), ConvertNewlineReference(input)));
  }
  EXPECT_TRUE(host.boxes.empty());
}

// --- Mode 2 -------------------------------------------------------------------

TEST_F(EngineRun, EditLineEndsDeletesAndInserts) {
  // Fields 2..9: position (0 head, 1 end), count, action (0 delete, 1 insert,
  // 2 number), string or spaces, space count, string, start, step.
  const std::vector<Case> cases = {
      {"head string, count 0",
       {"0", "0", "1", "1", "0", "ABC", "1", "1"},
       "x\r\ny\r\n",
       "ABCx\r\nABCy\r\n"},
      {"tail delete",
       {"1", "2", "0", "0", "0", "", "1", "1"},
       "abcdef\r\nab\r\na\r\n\r\n",
       "abcd\r\n\r\n\r\n\r\n"},
      {"head delete beyond the line",
       {"0", "5", "0", "0", "0", "", "1", "1"},
       "abc\r\nabcdefg\r\n",
       "\r\nfg\r\n"},
      {"tail spaces", {"1", "0", "1", "0", "4", "", "1", "1"}, "a\r\n\r\n", "a    \r\n    \r\n"},
      {"head numbering, later numbers cut",
       {"0", "3", "2", "0", "0", "", "000100", "100"},
       "abcdef\r\nghijkl\r\nmnopqr\r\n",
       "000100def\r\n200jkl\r\n300pqr\r\n"},
      {"tail numbering, higher digits dropped",
       {"1", "2", "2", "0", "0", "", "98", "1"},
       "aXX\r\nbYY\r\ncZZ\r\ndWW\r\n",
       "a98\r\nb99\r\nc00\r\nd01\r\n"},
      {"first number never cut",
       {"0", "1", "2", "0", "0", "", "0100", "1"},
       "ab\r\ncd\r\n",
       "0100b\r\n1d\r\n"},
      {"numbering without cutting",
       {"0", "0", "2", "0", "0", "", "0001", "1"},
       "a\r\nb\r\nc\r\n",
       "0001a\r\n0002b\r\n0003c\r\n"},
      {"width from the start text",
       {"0", "0", "2", "0", "0", "", "1", "9"},
       "a\r\nb\r\nc\r\n",
       "1a\r\n10b\r\n19c\r\n"},
      {"negative numbers",
       {"1", "0", "2", "0", "0", "", "03", "-2"},
       "a\r\nb\r\nc\r\n",
       "a03\r\nb01\r\nc-01\r\n"},
      {"numbering a line deleted whole",
       {"0", "5", "2", "0", "0", "", "7", "1"},
       "ab\r\n\r\n",
       "7\r\n8\r\n"},
      {"full-width characters count one",
       {"0", "1", "1", "1", "0", "＊", "1", "1"},
       Sjis("あいう\r\nｱｲｳ\r\n漢\r\n"),
       Sjis("＊いう\r\n＊ｲｳ\r\n＊\r\n")},
      {"full-width at the end",
       {"1", "2", "0", "0", "0", "", "1", "1"},
       Sjis("漢字かな\r\n"),
       Sjis("漢字\r\n")},
      {"undecodable byte is one character",
       {"0", "1", "0", "0", "0", "", "1", "1"},
       "\xff\x81"
       "abc\r\n",
       "\x81"
       "abc\r\n"},
      {"empty file takes no number", {"0", "0", "2", "0", "0", "", "1", "1"}, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run(Step("2", c.fields), c.input), c.expected);
  }
  EXPECT_TRUE(host.boxes.empty()) << host.texts().front();
}

TEST_F(EngineRun, EditLineEndsCountsCharactersAcrossTheReadBuffer) {
  // "x" then full-width characters: the first buffer ends inside a character.
  const size_t n = kBuffer / 2 + 10;
  const std::string input = "x" + Repeat(Sjis("あ"), n) + "\r\nyz\r\n";
  EXPECT_TRUE(SameBytes(Run(Step("2", {"0", "2", "0", "0", "0", "", "1", "1"}), input),
                        Repeat(Sjis("あ"), n - 1) + "\r\n\r\n"));
  EXPECT_TRUE(SameBytes(Run(Step("2", {"1", "1", "0", "0", "0", "", "1", "1"}), input),
                        "x" + Repeat(Sjis("あ"), n - 1) + "\r\ny\r\n"));
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(EngineRun, EditLineEndsCountsUtf8Characters) {
  ctx.options.codePage = CodePage::UTF8;
  EXPECT_EQ(Run(Step("2", {"0", "1", "1", "1", "0", "＊", "1", "1"}), "あいう\r\n"), "＊いう\r\n");
}

TEST_F(EngineRun, BadFieldsEndTheRunAndKeepTheTarget) {
  const std::string typeMismatch =
      "Kadrel処理中にエラーが発生しました\r\n( 13 ) 型が一致しません。";
  const std::string overflow =
      "Kadrel処理中にエラーが発生しました\r\n( 6 ) オーバーフローしました。";
  const std::string invalidCall =
      "Kadrel処理中にエラーが発生しました\r\n( 5 ) プロシージャの呼び出し、または引数が不正です。";
  struct BadStep {
    std::vector<std::string> fields;
    std::string box;
  };
  const std::vector<BadStep> steps = {
      {{"0", "0", "2", "0", "0", "", "abc", "1"}, typeMismatch},
      {{"0", "0", "2", "0", "0", "", "", "1"}, typeMismatch},
      {{"0", "0", "2", "0", "0", "", "40000", "1"}, overflow},
      {{"0", "0", "2", "0", "0", "", "1", "x"}, typeMismatch},
      {{"0", "0", "2", "0", "0", "", "1", "-32769"}, overflow},
      {{"0", "70000", "0", "0", "0", "", "1", "1"}, overflow},
      {{"0", "-1", "0", "0", "0", "", "1", "1"}, invalidCall},
      {{"0", "0", "1", "0", "-4", "", "1", "1"}, invalidCall},
      // A text the code page cannot hold (one that the step check did not see).
      {{"0", "0", "1", "1", "0", "😀", "1", "1"},
       "Kadrel処理中にエラーが発生しました\r\n( 5 ) CP932 で書き込めない文字があります [ 😀 "
       "(U+1F600) ]"},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.fields[1] + "," + s.fields[4] + "," + s.fields[6] + "," + s.fields[7]);
    host.boxes.clear();
    EXPECT_EQ(Run(Step("2", s.fields), "abc\r\ndef\r\n"), "abc\r\ndef\r\n");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, s.box);
    EXPECT_EQ(host.boxes[0].icon, BoxIcon::Critical);
  }
}

TEST_F(EngineRun, RunningNumberBeyondThirtyTwoBitsEndsTheRun) {
  // 32767 per line: the 65538th number is 2147483646, the 65539th does not fit.
  const std::vector<std::string> step = Step("2", {"0", "0", "2", "0", "0", "", "32767", "32767"});
  std::string input = Repeat("a\r\n", 65538);
  std::string output = Run(step, input);
  EXPECT_TRUE(output.ends_with("2147483646a\r\n"));
  EXPECT_TRUE(host.boxes.empty());

  input += "b\r\n";
  EXPECT_TRUE(SameBytes(Run(step, input), input));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text,
            "Kadrel処理中にエラーが発生しました\r\n( 6 ) オーバーフローしました。");
}

// --- Mode 5 -------------------------------------------------------------------

TEST_F(EngineRun, DeleteBlanksDropsBlankLinesAndTrimsSpaces) {
  // Fields 2..6: delete blank lines, spaces-only lines too, LEFT, ALL, RIGHT.
  const std::vector<Case> cases = {
      {"empty lines only", {"1", "0", "0", "0", "0"}, "a\r\n\r\n   \r\nb", "a\r\n   \r\nb\r\n"},
      {"kept before trimmed",
       {"1", "0", "1", "0", "0"},
       Sjis("a\r\n\r\n   \r\n　\r\nb"),
       "a\r\n\r\n\r\nb\r\n"},
      {"spaces-only lines too",
       {"1", "1", "0", "0", "0"},
       Sjis(" 　 \r\nx\r\n\r\n\t\r\n"),
       "x\r\n\t\r\n"},
      {"spaces-only needs blank-line deletion",
       {"0", "1", "0", "0", "0"},
       "\r\n  \r\n",
       "\r\n  \r\n"},
      {"all", {"0", "0", "0", "1", "0"}, Sjis(" a　b c \r\n"), "abc\r\n"},
      {"left", {"0", "0", "1", "0", "0"}, Sjis("　 x y \r\n"), "x y \r\n"},
      {"right stops at a tab", {"0", "0", "0", "0", "1"}, Sjis(" x \t 　\r\n"), " x \t\r\n"},
      {"all keeps tabs", {"0", "0", "0", "1", "0"}, "\t a \t\r\n", "\ta\t\r\n"},
      {"nothing on", {"0", "0", "0", "0", "0"}, "a \r\n\r\nb", "a \r\n\r\nb\r\n"},
      {"trimmed to empty, still written",
       {"0", "0", "1", "0", "1"},
       Sjis("　　\r\nz\r\n"),
       "\r\nz\r\n"},
      {"a trail byte before @ is no full-width space",
       {"0", "0", "0", "1", "0"},
       Sjis("メ@ \r\n"),
       Sjis("メ@\r\n")},
      {"undecodable bytes kept", {"0", "0", "0", "1", "0"}, " \xff\x80 \r\n", "\xff\x80\r\n"},
      {"lf inside a later line", {"1", "1", "1", "0", "1"}, "a\r\n \n \r\n", "a\r\n\n\r\n"},
      {"empty file", {"1", "1", "1", "1", "1"}, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run(Step("5", c.fields), c.input), c.expected);
  }
  EXPECT_TRUE(host.boxes.empty()) << host.texts().front();
}

TEST_F(EngineRun, DeleteBlanksTrimsALineLongerThanTheReadBuffer) {
  const std::string input = Sjis(Repeat("a 　", kBuffer / 2) + "\r\n \r\n");
  EXPECT_TRUE(SameBytes(Run(Step("5", {"1", "1", "0", "1", "0"}), input),
                        Repeat("a", kBuffer / 2) + "\r\n"));
}

TEST_F(EngineRun, DeleteBlanksSeesUtf8FullWidthSpaces) {
  ctx.options.codePage = CodePage::UTF8;
  EXPECT_EQ(Run(Step("5", {"1", "1", "1", "0", "1"}), "　x　\r\n 　\r\n"), "x\r\n");
}

// --- What the driver does around the engines ------------------------------------

const std::vector<std::vector<std::string>> kRewritingSteps = {
    {"1"},
    {"2", "0", "1", "1", "1", "0", "#", "1", "1"},
    {"5", "1", "1", "1", "0", "1"},
};

TEST_F(EngineRun, BackupCopyIsKeptOrDeletedByOption) {
  for (int16_t keep : {0, 1}) {
    for (const auto& step : kRewritingSteps) {
      SCOPED_TRACE(step[0] + (keep ? " keep" : " delete"));
      ctx.options.BkupEdit = keep;
      EXPECT_EQ(Run(step, "ab\r\ncd\r\n").size(), 8u);
      EXPECT_EQ(FileExists(Backup()), keep == 1);
      if (keep) {
        EXPECT_EQ(ReadFile(Backup()), "ab\r\ncd\r\n");
      }
    }
  }
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(EngineRun, BareLfIsRefusedByEveryModeButLineEndingConversion) {
  const std::string input = "a\nb\n";
  EXPECT_EQ(Run(kRewritingSteps[0], input), "a\r\nb\r\n");
  for (size_t i = 1; i < kRewritingSteps.size(); ++i) {
    host.boxes.clear();
    std::remove(Backup().c_str());
    EXPECT_EQ(Run(kRewritingSteps[i], input), input);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text,
              "ＵＮＩＸ形式の改行コードを検出しました。処理を飛ばします。\r[ " + target + " ]");
    EXPECT_FALSE(FileExists(Backup()));
  }
}

struct Failure {
  const char* name;
  long readFailsAfter;
  long writeFailsAfter;
  bool closeFails;
  bool big;  // the input spans several read and write buffers, past the first bytes read
  const char* title;
  int error;
  bool atOpen = false;  // the first bytes, read when the file is opened, fail
};

TEST_F(EngineRun, ReadOrWriteFailureLeavesTheTargetUntouched) {
  const std::vector<Failure> failures = {
      {"read fails in the second line, among the first bytes", 5, -1, false, false, "", EIO, true},
      {"read fails in the third buffer after the first bytes",
       static_cast<long>(kBinaryProbeBytes + 2 * kBuffer + 3), -1, false, true, "File Read Error",
       EIO},
      {"write fails at close", -1, -1, true, false, "File Write Error", ENOSPC},
      {"write fails in the second buffer", -1, static_cast<long>(kBuffer + 10), false, true,
       "File Write Error", ENOSPC},
  };
  ctx.options.BkupEdit = 0;
  for (const auto& f : failures) {
    for (const auto& step : kRewritingSteps) {
      SCOPED_TRACE(std::string(f.name) + ", mode " + step[0]);
      // The engine reads the target and writes its replacement.
      files.faults.clear();
      if (f.readFailsAfter >= 0)
        files.faults.push_back({test::Op::Read, "ABC.txt", 0, f.readFailsAfter, EIO});
      if (f.writeFailsAfter >= 0)
        files.faults.push_back({test::Op::Write, "ABC.txt", 0, f.writeFailsAfter, ENOSPC});
      if (f.closeFails) files.faults.push_back({test::Op::Close, "ABC.txt", 0, -1, ENOSPC});
      host.boxes.clear();
      // Mode 1 gets one LF-only line; the others many CR LF lines.
      std::string input = step[0] == "1" ? "abc\ndef\n" : "abc \r\ndef\r\n";
      if (f.big) input = Repeat(input, (kBinaryProbeBytes + 3 * kBuffer) / input.size());
      EXPECT_TRUE(SameBytes(Run(step, input), input));
      ASSERT_EQ(host.boxes.size(), 1u);
      EXPECT_EQ(host.boxes[0].title, f.title);
      EXPECT_EQ(host.boxes[0].text, f.atOpen
                                        ? "ファイルオープンでエラーが発生しました\r[ " + target +
                                              "]\r" + ErrorText(f.error) + "\r処理を飛ばします"
                                        : ErrorText(f.error) + "\r[ " + target + "]");
      EXPECT_EQ(report.targets.at(0).outcome, TargetOutcome::Failed);
      EXPECT_FALSE(FileExists(Backup()));  // nothing to keep: the target is as it was
      EXPECT_EQ(test::TemporariesIn(dir.path()), 0);
    }
  }
}

TEST_F(EngineRun, CancelLeavesThePreviousContent) {
  const std::string first = dir.file("first.txt"), second = dir.file("second.txt");
  for (const auto& step : kRewritingSteps) {
    for (const char* input : {"ab \r\ncd\r\nef\r\n", "ab\ncd\nef\n"}) {
      if (step[0] != "1" && std::string(input).find("\r") == std::string::npos) continue;
      SCOPED_TRACE(step[0] + ": " + input);
      WriteFile(first, input);
      WriteFile(second, input);
      host.yields = 0;
      ctx.CancelFlag = false;
      host.cancelAtYield(&ctx.CancelFlag, 1);
      ctx.targets = {first, second};
      ctx.StepArr = StepRecord(step);
      RunAll(ctx);
      EXPECT_EQ(ReadFile(first), input);
      EXPECT_EQ(ReadFile(second), input);
      EXPECT_FALSE(FileExists(MakeOutName(ctx.options, second, OutName::Backup)));
    }
  }
  EXPECT_TRUE(host.boxes.empty());
}

}  // namespace
}  // namespace kadrel
