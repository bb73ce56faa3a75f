// Every code of each code page is one character in every engine, and the engines
// keep the codes of the characters a step did not produce: whole runs through
// RunAll over real files, compared byte for byte.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "combo/step_line.h"
#include "core/file_naming.h"
#include "run/run_context.h"
#include "run/run_driver.h"
#include "support/every_code.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"
#include "text/code_page.h"
#include "text/utf.h"

namespace kadrel {
namespace {

using test::ReadFile;
using test::WriteFile;

class EveryCodeRun : public ::testing::Test {
 protected:
  EveryCodeRun() {
    ctx.options.SelAddSts = 1;  // extraction results hold the extracted lines only
    ctx.options.BkupEdit = 0;
  }

  // Runs the step line over a target holding input: the target's bytes afterwards,
  // or the result file's for an extraction step.
  std::string Run(const std::string& stepLine, const std::string& input) {
    WriteFile(target, input);
    ctx.targets = {target};
    ctx.StepArr = SplitStepLine(stepLine);
    if (ctx.StepArr.field(1) == "0") ctx.StepArr.add("0");
    RunAll(ctx);
    const bool extraction = ctx.StepArr.field(1) == "3" || ctx.StepArr.field(1) == "4";
    return ReadFile(extraction ? MakeOutName(ctx.options, target, OutName::Result) : target);
  }

  test::TempDir dir;
  test::FakeHost host;
  RunContext ctx{host, SystemFileLayer()};
  std::string target = dir.file("t.txt");
};

// One file per code page with every code, one a line between ASCII text, through
// engines that change the text around the codes.
TEST_F(EveryCodeRun, EveryCodeIsOneCharacterAndKeepsItsBytes) {
  using Line = std::function<std::string(const test::CodeReading&)>;
  struct Case {
    const char* step;
    Line in, out;
  } cases[] = {
      {"0,0,a,0,AA,#", [](auto& c) { return "a" + c.code + "b"; },
       [](auto& c) { return "AA" + c.code + "b"; }},
      {"2,0,2,0,0,0,,0,0,#", [](auto& c) { return "a" + c.code + "b"; },
       [](auto&) { return std::string("b"); }},
      {"5,0,0,0,1,0,#", [](auto& c) { return " " + c.code + " x "; },
       [](auto& c) { return (c.text == U'\u3000' ? "" : c.code) + "x"; }},
  };
  for (CodePage cp : {CodePage::CP932, CodePage::EUCJP, CodePage::UTF8}) {
    ctx.options.codePage = cp;
    const std::vector<test::CodeReading> codes = test::EveryCode(cp);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(CodePageName(cp)) + " " + c.step);
      std::string input, expected;
      for (const auto& code : codes) {
        input += c.in(code) + "\r\n";
        expected += c.out(code) + "\r\n";
      }
      EXPECT_TRUE(Run(c.step, input) == expected);
      EXPECT_TRUE(host.boxes.empty());
    }
  }
}

std::string Sjis(const std::string& utf8) {
  return CodecFor(CodePage::CP932).encode(Utf8ToU32(utf8));
}

TEST_F(EveryCodeRun, ExtensionCodesAndTypedTextThroughTheEngines) {
  struct Case {
    const char* step;
    std::string input, expected;
    CodePage cp = CodePage::CP932;
  } cases[] = {
      // NEC-selected IBM extensions whose trail byte is an ASCII letter or "\".
      {"0,0,A,0,B,#", "\xED\x41\r\n", "\xED\x41\r\n"},
      {"0,0,\\,0,/,#", "\xED\x5C\r\n", "\xED\x5C\r\n"},
      // Typed 髙 finds EEE0; the step's own text is written in the standard form.
      {"0,0,髙,0,高,#", "\xEE\xE0\x8B\xB4\r\n", Sjis("高橋\r\n")},
      // A changed line keeps the codes of the characters it kept.
      {"0,0,a,0,b,#",
       "\xED\x41"
       "a\xEE\xE0\r\n",
       "\xED\x41"
       "b\xEE\xE0\r\n"},
      {"0,0,a,0,b,#",
       "\x8F\xF3\xAB"
       "a\r\n",
       "\x8F\xF3\xAB"
       "b\r\n",
       CodePage::EUCJP},
      {"2,0,1,0,0,0,,0,0,#", "\x87\x90x\r\n", "x\r\n"},
      {"5,0,0,0,1,0,#", "\xED\x81\x40x\r\n", "\xED\x81\x40x\r\n"},
      {"3,開始,終了,#", Sjis("開始\r\n本文\r\n") + "\x87\x90" + Sjis("終了\r\n後\r\n"),
       Sjis("開始\r\n本文\r\n") + "\x87\x90" + Sjis("終了\r\n")},
      {"4,あ,True,,True,,#", "\x87\x90\x82\xA0\r\nx\r\n", "\x87\x90\x82\xA0\r\n"},
      // Text typed on Linux meets the code page's own characters.
      {"0,0,〜,0,—−,#", Sjis("1～2\r\n"), Sjis("1―－2\r\n")},
      {"4,¢,False,‖,False,,#", Sjis("￠\r\n∥\r\nx\r\n"), Sjis("￠\r\n∥\r\n")},
      {"2,0,0,1,1,0,¬,0,0,#", "x\r\n", Sjis("￢x\r\n")},
      {"0,0,〜,0,x,#", "\xA1\xC1\r\n", "x\r\n", CodePage::EUCJP},
      {"0,0,〜,0,x,#", "～\r\n〜\r\n", "～\r\nx\r\n", CodePage::UTF8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    ctx.options.codePage = c.cp;
    EXPECT_EQ(Run(c.step, c.input), c.expected);
  }
  EXPECT_TRUE(host.boxes.empty());
}

}  // namespace
}  // namespace kadrel
