// The engines' fast paths at their edges: the prefilter's candidates across the
// reading buffer's edge, false candidates on CP932 trail bytes, letters in every
// case, and lines longer than the buffer, whose parts a match or a character
// straddles. Every row runs with the fast paths and without them (every line read
// whole and decoded), and both give the expected bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "combo/step_line.h"
#include "core/file_naming.h"
#include "io/file_layer.h"
#include "run/run_context.h"
#include "run/run_driver.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"
#include "text/code_page.h"
#include "text/utf.h"

namespace kadrel {
namespace {

using test::ReadFile;
using test::WriteFile;

std::string Sjis(std::string_view utf8) {
  return CodecFor(CodePage::CP932).encode(Utf8ToU32(utf8));
}

struct Row {
  const char* name;
  std::string step;  // a step line
  std::string input, expected;
  size_t buffer = 16;
  int compMode = 1;
  CodePage cp = CodePage::CP932;
  int selAddSts = 1;  // 0: the extraction result has its header and counts
};

class FastPaths : public ::testing::Test {
 protected:
  FastPaths() {
    ctx.options.SelAddSts = 1;  // extraction results hold the extracted lines only
    ctx.options.BkupEdit = 0;
  }

  // The target's bytes after the step, or the result file's for an extraction.
  std::string Run(const Row& row, bool fastPaths) {
    WriteFile(target, row.input);
    ctx.targets = {target};
    ctx.StepArr = SplitStepLine(row.step);
    if (ctx.StepArr.field(1) == "0") ctx.StepArr.add("0");
    ctx.options.codePage = row.cp;
    ctx.options.CompMode = static_cast<int16_t>(row.compMode);
    ctx.options.SelAddSts = static_cast<int16_t>(row.selAddSts);
    ctx.lineBufferSize = row.buffer;
    ctx.fastPaths = fastPaths;
    RunAll(ctx);
    const bool extraction = ctx.StepArr.field(1) == "3" || ctx.StepArr.field(1) == "4";
    return ReadFile(extraction ? MakeOutName(ctx.options, target, OutName::Result) : target);
  }

  void Check(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
      for (bool fast : {true, false}) {
        SCOPED_TRACE(std::string(row.name) + (fast ? " (fast paths)" : " (plain)"));
        EXPECT_EQ(Run(row, fast), row.expected);
      }
    }
    EXPECT_TRUE(host.boxes.empty()) << host.texts().front();
  }

  test::TempDir dir;
  test::FakeHost host;
  RunContext ctx{host, SystemFileLayer()};
  std::string target = dir.file("t.txt");
};

TEST_F(FastPaths, CandidatesAcrossTheBufferEdge) {
  std::vector<Row> rows;
  // The keyword at every place around the edge of a 16-byte buffer, after lines
  // that the prefilter passes over.
  for (size_t shift = 0; shift < 20; ++shift) {
    const std::string before = "ab\r\n" + std::string(shift, 'x');
    const std::string line = before + "ERROR" + "y";
    const std::string input = line + "\r\nz\r\n" + line + "\rw";
    const std::string replaced = before + "WARN" + "y";
    rows.push_back({"extraction", "4,ERROR,True,,True,,#", input,
                    line.substr(4) + "\r\n" + line.substr(4) + "\r\n"});
    rows.push_back({"replacement", "0,0,ERROR,0,WARN,#", input,
                    replaced + "\r\nz\r\n" + replaced + "\r\nw\r\n"});
    rows.push_back({"range", "3,ERROR,z,#", input,
                    line.substr(4) + "\r\nz\r\n" + line.substr(4) + "\r\nw\r\n"});
  }
  Check(rows);
}

TEST_F(FastPaths, FalseCandidatesOnTrailBytesStayUnmatched) {
  // ウ is 83 45: its trail byte and "RROR" read "ERROR"; 表 is 95 5C.
  const std::string ghost = Sjis("ウRROR") + "\r\n" + Sjis("表") + "\r\nERROR\r\n";
  Check({
      {"extraction", "4,ERROR,True,,True,,#", ghost, "ERROR\r\n"},
      {"extraction, case ignored", "4,error,True,,True,,#", ghost, "ERROR\r\n", 16, 0},
      {"replacement", "0,0,ERROR,0,W,#", ghost, Sjis("ウRROR") + "\r\n" + Sjis("表") + "\r\nW\r\n"},
      {"backslash", "0,0,\\,0,/,#", ghost + "\\\r\n", ghost + "/\r\n"},
      {"range", "3,ERROR,\\,#", ghost + "a\r\n", "ERROR\r\na\r\n"},
      // A keyword holding a stray byte's escape: 81 alone is one in CP932, U+0081 in EUC-JP.
      {"escape", "4,a\x81,True,,True,,#", "a\x81\r\n", "a\x81\r\n"},
      {"escape, EUC-JP", "4,a\x81,True,,True,,#", "a\x81\r\n", "", 16, 1, CodePage::EUCJP},
      {"escape, replacement", "0,0,\x81,0,b,#", "\x81\x81\xA4\xA2\r\n", "\x81\x81\xA4\xA2\r\n", 16,
       1, CodePage::EUCJP},
  });
}

TEST_F(FastPaths, LettersInEveryCaseAreFound) {
  const std::string fullWidth = Sjis("xＥＲＲＯＲx\r\nｅｒｒｏｒ\r\nerror\r\n");
  const std::string greek = Sjis("ΣΑΣ\r\nσασ\r\n");
  Check({
      {"full-width, extraction", "4,ｅＲｒＯｒ,True,,True,,#", fullWidth,
       Sjis("xＥＲＲＯＲx\r\nｅｒｒｏｒ\r\n"), 16, 0},
      {"full-width, replacement", "0,0,ｅｒｒｏｒ,0,!,#", fullWidth, Sjis("x!x\r\n!\r\nerror\r\n"),
       16, 0},
      {"greek, replacement", "0,0,σ,0,s,#", greek, Sjis("sΑs\r\nsαs\r\n"), 16, 0},
      {"greek, extraction", "4,ΣΑ,True,,True,,#", greek, greek, 16, 0},
      {"told apart", "4,ｅｒｒｏｒ,True,,True,,#", fullWidth, Sjis("ｅｒｒｏｒ\r\n")},
      // The Kelvin sign folds to k, the long s to s; the dotless i upper-cases to I.
      {"kelvin sign", "0,0,kiss,0,-,#", "\xE2\x84\xAAis\xC5\xBF\r\nKISS\r\n", "-\r\n-\r\n", 16, 0,
       CodePage::UTF8},
      {"dotless i", "4,kit,True,,True,,#", "K\xC4\xB1T\r\nkot\r\n", "K\xC4\xB1T\r\n", 16, 0,
       CodePage::UTF8},
  });
}

TEST_F(FastPaths, LinesLongerThanTheBufferComeInParts) {
  const std::string kana = Sjis("あいうえおかきくけこ");  // 20 bytes
  const std::string longLine = kana + "ERROR" + kana + Sjis("　") + " ";
  std::vector<Row> rows;
  for (size_t buffer : {size_t{3}, size_t{8}, size_t{13}}) {
    rows.push_back({"replacement", "0,0,ERROR,0,WARN,#", longLine + "\r\n",
                    kana + "WARN" + kana + Sjis("　") + " \r\n", buffer});
    rows.push_back({"replacement, kana", "0,0,こE,0,_,#", longLine + "\r\n",
                    Sjis("あいうえおかきくけ") + "_RROR" + kana + Sjis("　") + " \r\n", buffer});
    rows.push_back({"extraction", "4,*こERR*,True,,True,,#", "x\r\n" + longLine + "\r\n",
                    longLine + "\r\n", buffer});
    rows.push_back(
        {"extraction, no match", "4,こERRR,True,,True,,#", longLine + "\r\n", "", buffer});
    rows.push_back({"range", "3,RORあ,#,#", "a\r\n" + longLine + "\r\n1\r\nb\r\n",
                    longLine + "\r\n1\r\n", buffer});
    rows.push_back({"head", "2,0,11,1,1,0,>,0,0,#", longLine + "\r\n",
                    ">RROR" + kana + Sjis("　") + " \r\n", buffer});
    rows.push_back(
        {"tail", "2,1,12,1,1,0,<,0,0,#", longLine + "\r\n", kana + "ERROR<\r\n", buffer});
    rows.push_back({"trim right", "5,0,0,0,0,1,#", longLine + "\r\n" + Sjis("　 　") + "\r\n",
                    kana + "ERROR" + kana + "\r\n\r\n", buffer});
    rows.push_back({"trim all", "5,1,1,0,1,0,#",
                    Sjis(" 　a b") + kana + "\r\n" + Sjis("　 　") + "\r\n", "ab" + kana + "\r\n",
                    buffer});
  }
  Check(rows);
}

// A long line is decoded only around its candidates: far apart and close
// together, in text where no byte tells where a character begins (字 is two
// lead-range bytes in CP932, two bytes of one range in EUC-JP), the line whole and
// in parts of every size.
TEST_F(FastPaths, StretchesAroundCandidatesInLongLines) {
  std::vector<Row> rows;
  for (CodePage cp : {CodePage::CP932, CodePage::EUCJP, CodePage::UTF8}) {
    auto text = [cp](std::string_view utf8) { return CodecFor(cp).encode(Utf8ToU32(utf8)); };
    std::string filler;
    for (int k = 0; k < 700; ++k) filler += "字";
    const std::string line = filler + "ERROR" + filler + "ERROR字ERROR" + filler + "字E";
    const std::string replaced = filler + "W" + filler + "W字W" + filler + "字E";
    const std::string head = "a\r\n" + text(line) + "\r\nERR\r\nb\r\n";
    // Matches side by side, so that stretches end inside them wherever they end.
    std::string dense, denseReplaced;
    for (int k = 0; k < 400; ++k) {
      const std::string gap = k % 3 == 0 ? "" : k % 3 == 1 ? "字" : "E";
      dense += "ERROR" + gap;
      denseReplaced += "W" + gap;
    }
    for (size_t buffer : {size_t{7}, size_t{64}, size_t{1000}, size_t{1} << 20}) {
      auto row = [&](const char* name, std::string step, std::string input, std::string expected,
                     int compMode = 1, int selAddSts = 1) {
        rows.push_back({name, std::move(step), std::move(input), std::move(expected), buffer,
                        compMode, cp, selAddSts});
      };
      row("replacement", "0,0,ERROR,0,W,#", head, "a\r\n" + text(replaced) + "\r\nERR\r\nb\r\n");
      row("replacement, case ignored", "0,0,eRrOr,0,W,#", head,
          "a\r\n" + text(replaced) + "\r\nERR\r\nb\r\n", 0);
      row("replacement, side by side", "0,0,ERROR,0,W,#", text(dense) + "\r\n",
          text(denseReplaced) + "\r\n");
      row("extraction", "4,R字E,True,,True,,#", head, text(line) + "\r\n");
      row("extraction, the needle inside", "4,O?字字,True,,True,,#", head, text(line) + "\r\n");
      row("extraction, no place", "4,ERROR字字E,True,,True,,#", head, "");
      row("extraction, case ignored", "4,r字e,True,,True,,#", head, text(line) + "\r\n", 0);
      row("range", "3,字字E,b,#", head, text(line) + "\r\nERR\r\nb\r\n");
      const std::string ruler =
          "----+----1----+----2----+----3----+----4----+----5----+----6----+----7----+----8\r\n";
      row("range, counts", "3,字字E,ERR,#", head,
          text("対象ファイル　　　　 [" + target +
               "]\r\n開始キーワード文字列 [字字E]\r\n"
               "終了キーワード文字列 [ERR]\r\n" +
               ruler) +
              text(line) + "\r\n" +
              text(ruler +
                   "開始キーワード文字列   1 個 検出\r\n終了キーワード文字列   2 個 検出\r\n"
                   "抽出行数　　　　　　   1 行\r\n"),
          1, 0);
      row("tail", "2,1,3,0,0,0,,0,0,#", head,
          "\r\n" + text(line.substr(0, line.size() - 7)) + "\r\n\r\n\r\n");
    }
  }
  // 字 (8E 9A) after a stray 9A reads as 嚴 (9A 8E) ..., and the E after the last
  // 9A as its trail byte: no ERROR there.
  std::string shifted = "\x9A";
  for (int k = 0; k < 700; ++k) shifted += "\x8E\x9A";
  shifted += "ERROR";
  rows.push_back({"shifted, replacement", "0,0,ERROR,0,W,#", shifted + "\r\n", shifted + "\r\n"});
  rows.push_back({"shifted, extraction", "4,ERROR,True,,True,,#", shifted + "\r\n", "", 64});
  rows.push_back({"shifted, tail", "2,1,4,0,0,0,,0,0,#", shifted + "\r\n",
                  shifted.substr(0, shifted.size() - 4) + "\r\n", 64});
  Check(rows);
}

// A changed line keeps the code of every character it kept, even of a character
// it holds in two codes; the step's own text is written in the standard code.
TEST_F(FastPaths, ChangedLinesKeepEveryCode) {
  const std::string twoCodes =
      "\xED\x40"
      "a"
      "\xFA\x5C";  // 纊 in both its codes
  Check({
      {"kept characters", "0,0,a,0,b,#", twoCodes + "\r\n",
       "\xED\x40"
       "b"
       "\xFA\x5C\r\n"},
      {"step text", "0,0,a,0,纊,#",
       "\xED\x40"
       "a\r\n",
       "\xED\x40\xFA\x5C\r\n"},
      {"head", "2,0,0,1,1,0,纊,0,0,#", twoCodes + "\r\n", "\xFA\x5C" + twoCodes + "\r\n"},
  });
}

}  // namespace
}  // namespace kadrel
