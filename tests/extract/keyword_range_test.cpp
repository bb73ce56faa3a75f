#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extract/extract_engines.h"
#include "extraction_fixture.h"
#include "text/code_page.h"
#include "text/utf.h"

namespace kadrel {
namespace {

using test::CrLf;

const std::string kRuler =
    "----+----1----+----2----+----3----+----4----+----5----+----6----+----7----+----8";
const std::string kLineRuler = "LINE " + kRuler;
const std::string kSeparator = "■■■■■■■■■■■■■■■■■■■■";

std::vector<std::string> Header(const std::string& path, const std::string& start,
                                const std::string& end, const std::string& ruler = kRuler) {
  return {"対象ファイル　　　　 [" + path + "]", "開始キーワード文字列 [" + start + "]",
          "終了キーワード文字列 [" + end + "]", ruler};
}

std::vector<std::string> Trailer(int startHits, int endHits, int written,
                                 const std::string& ruler = kRuler) {
  return {ruler, "開始キーワード文字列   " + std::to_string(startHits) + " 個 検出",
          "終了キーワード文字列   " + std::to_string(endHits) + " 個 検出",
          "抽出行数　　　　　　   " + std::to_string(written) + " 行"};
}

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

class KeywordRange : public test::ExtractionTest {
 protected:
  std::string run(const std::string& input, const std::u32string& start,
                  const std::u32string& end) {
    return extract(input, [&](EngineIo& io) { ExtractKeywordRange(io, {start, end}); });
  }
};

TEST_F(KeywordRange, WholeResultFileOfNestedLookingRanges) {
  std::string result =
      run(CrLf({"a", "START", "b", "START", "c", "END", "d", "END", "e"}), U"START", U"END");
  EXPECT_EQ(result, CrLf(Concat({Header(targetPath, "START", "END"),
                                 {"START", "b", "START", "c", "END"},
                                 Trailer(2, 2, 5)})));
  EXPECT_FALSE(failed);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(host.yields, 9);
}

struct RangeCase {
  const char* name;
  std::vector<std::string> lines;
  std::u32string start, end;
  int compMode;
  std::vector<std::string> body;
  int startHits, endHits;
};

class KeywordRangeRules : public KeywordRange, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(KeywordRangeRules, BodyAndCounts) {
  const RangeCase& c = GetParam();
  options.caseSensitive = c.compMode != 0;
  std::string result = run(CrLf(c.lines), c.start, c.end);
  EXPECT_EQ(result, CrLf(Concat({Header(targetPath, U32ToUtf8(c.start), U32ToUtf8(c.end)), c.body,
                                 Trailer(c.startHits, c.endHits, int(c.body.size()))})));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, KeywordRangeRules,
    ::testing::Values(
        RangeCase{"BothKeywordsInOneLine",
                  {"a", "x START y END z", "b"},
                  U"START",
                  U"END",
                  1,
                  {"x START y END z"},
                  1,
                  1},
        RangeCase{"OpenRangeRunsToTheEnd",
                  {"a", "START", "b", "", "c"},
                  U"START",
                  U"END",
                  1,
                  {"START", "b", "", "c"},
                  1,
                  0},
        RangeCase{"EndOutsideARangeOnlyCounts",
                  {"END", "a", "START", "END", "b"},
                  U"START",
                  U"END",
                  1,
                  {"START", "END"},
                  1,
                  2},
        RangeCase{"SeveralRanges",
                  {"S1", "E1", "x", "S2", "y", "E2", "z"},
                  U"S#",
                  U"E#",
                  1,
                  {"S1", "E1", "S2", "y", "E2"},
                  2,
                  2},
        RangeCase{"UpperCasedWhenCaseIgnored",
                  {"a", "xABCx", "b"},
                  U"abc",
                  U"zzz",
                  0,
                  {"xABCx", "b"},
                  1,
                  0},
        RangeCase{"ExactWhenCaseCounts", {"a", "xABCx", "b"}, U"abc", U"zzz", 1, {}, 0, 0},
        RangeCase{"FullWidthLettersUpperCased",
                  {"ａ", "ｘＡＢＣ", "b"},
                  U"ａｂｃ",
                  U"ｂ",
                  0,
                  {"ｘＡＢＣ"},
                  1,
                  1},
        RangeCase{"WildcardKeyword", {"x", "abbc", "y"}, U"a*c", U"y", 1, {"abbc", "y"}, 1, 1},
        RangeCase{
            "BracketedStarIsLiteral", {"abbc", "a*c", "y"}, U"[*]", U"y", 1, {"a*c", "y"}, 1, 1},
        RangeCase{
            "EmptyKeywordMatchesEveryLine", {"a", "", "b"}, U"", U"zzz", 1, {"a", "", "b"}, 3, 0},
        RangeCase{"EmptyEndKeywordClosesEveryLine", {"a", "S", "b"}, U"S", U"", 1, {"S"}, 1, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeywordRange, EmptyInputGivesHeaderAndZeroCounts) {
  std::string result = run("", U"START", U"END");
  EXPECT_EQ(result, CrLf(Concat({Header(targetPath, "START", "END"), Trailer(0, 0, 0)})));
}

TEST_F(KeywordRange, LineNumbersAndTheirRulers) {
  options.lineNumbers = true;
  std::string result = run(CrLf({"1", "2", "3", "4", "START 5", "6"}), U"START", U"zz");
  EXPECT_EQ(result, CrLf(Concat({Header(targetPath, "START", "zz", kLineRuler),
                                 {"   5 START 5", "   6 6"},
                                 Trailer(1, 0, 2, kLineRuler)})));
}

TEST_F(KeywordRange, LineNumberFieldKeepsTheLastFourDigits) {
  options.lineNumbers = true;
  options.resultHeaders = false;
  std::vector<std::string> lines;
  for (int n = 1; n <= 10001; ++n) lines.push_back("L" + std::to_string(n));
  EXPECT_EQ(run(CrLf(lines), U"L9998", U"zz"),
            CrLf({"9998 L9998", "9999 L9999", "0000 L10000", "0001 L10001"}));
}

TEST_F(KeywordRange, NoAdditionalInformationWhenSwitchedOff) {
  options.resultHeaders = false;
  EXPECT_EQ(run(CrLf({"a", "START", "END", "b"}), U"START", U"END"), CrLf({"START", "END"}));
}

TEST_F(KeywordRange, LinesAreCopiedByteForByte) {
  // A lone LF stays inside a line; invalid bytes pass through untouched.
  options.resultHeaders = false;
  EXPECT_EQ(run("START\nx\r\n\xff\xfe y\r\nEND", U"START", U"END"),
            "START\nx\r\n\xff\xfe y\r\nEND\r\n");
}

TEST_F(KeywordRange, ShiftJisResultFile) {
  codePage = CodePage::CP932;
  const TextCodec& sjis = CodecFor(CodePage::CP932);
  auto encode = [&](const std::string& utf8) { return sjis.encode(Utf8ToU32(utf8)); };
  std::string input = encode(CrLf({"前書き", "【開始】表示", "ソ表能", "【終了】", "後書き"}));
  std::string result = extract(
      input,
      [&](EngineIo& io) {
        ExtractKeywordRange(io, {U"【開始】", U"【終了】"});
      },
      "対象.txt");
  EXPECT_EQ(result, encode(CrLf(Concat({Header(targetPath, "【開始】", "【終了】"),
                                        {"【開始】表示", "ソ表能", "【終了】"},
                                        Trailer(1, 1, 3)}))));
}

TEST_F(KeywordRange, ShiftJisTrailingBytesAreNotCharacters) {
  // "ソ", "表" and "能" end in the byte of "\"; only a real "\" is found.
  codePage = CodePage::CP932;
  options.resultHeaders = false;
  const TextCodec& sjis = CodecFor(CodePage::CP932);
  std::u32string backslash = sjis.decode("\\");
  std::string input = sjis.encode(U"ソ表能\r\nC:\\dir\r\n");
  EXPECT_EQ(extract(input,
                    [&](EngineIo& io) {
                      ExtractKeywordRange(io, {backslash, backslash});
                    }),
            sjis.encode(U"C:\\dir\r\n"));
}

TEST_F(KeywordRange, JointResultFileSeparatesEveryBlock) {
  options.resultSeparator = true;
  std::string result = extractJoint({CrLf({"S", "x"}), CrLf({"y", "S", "E"})}, [&](EngineIo& io) {
    ExtractKeywordRange(io, {U"S", U"E"});
  });
  EXPECT_EQ(result, CrLf(Concat({Header(targetPaths[0], "S", "E"),
                                 {"S", "x"},
                                 Trailer(1, 0, 2),
                                 {"", kSeparator, ""},
                                 Header(targetPaths[1], "S", "E"),
                                 {"S", "E"},
                                 Trailer(1, 1, 2),
                                 {"", kSeparator, ""}})));
}

TEST_F(KeywordRange, JointResultFileWithoutSeparator) {
  std::string result = extractJoint({CrLf({"S", "x"})}, [&](EngineIo& io) {
    ExtractKeywordRange(io, {U"S", U"E"});
  });
  EXPECT_EQ(result, CrLf(Concat({Header(targetPaths[0], "S", "E"), {"S", "x"}, Trailer(1, 0, 2)})));
}

TEST_F(KeywordRange, CancelStopsWithoutTrailerOrBox) {
  options.resultSeparator = true;
  host.cancelAtYield(&cancel, 2);
  std::string result = run(CrLf({"S", "a", "b", "c"}), U"S", U"E");
  EXPECT_EQ(result, CrLf(Concat({Header(targetPath, "S", "E"), {"S", "a"}})));
  EXPECT_FALSE(failed);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(KeywordRange, ReadFailureIsReportedWithTheTarget) {
  // "S\r\na\r\n" arrives, then the input fails.
  files.faults = {{test::Op::Read, "in.txt", 1, 6, EIO}};
  std::string result = run(CrLf({"S", "a", "b", "c"}), U"S", U"E");
  EXPECT_EQ(result, CrLf(Concat({Header(targetPath, "S", "E"), {"S", "a"}})));
  EXPECT_TRUE(failed);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].title, "File Read Error");
  EXPECT_TRUE(host.boxes[0].text.ends_with("\r[ " + targetPath + "]"));
}

TEST_F(KeywordRange, BodyWriteFailureIsReportedWithTheResultFile) {
  files.faults = {{test::Op::Write, "_SEL", 1, 0, ENOSPC}};
  bufferSize = 4000;
  std::string line(1000, 'x');
  std::vector<std::string> lines(8, line);  // twice the write buffer
  run(CrLf(lines), U"", U"zz");
  EXPECT_TRUE(failed);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].title, "File Write Error");
  EXPECT_TRUE(host.boxes[0].text.ends_with("\r[ " + resultPath + "]"));
  EXPECT_LT(host.yields, 8);  // stopped at the failure
}

TEST_F(KeywordRange, HeaderWriteFailureStopsBeforeReading) {
  files.faults = {{test::Op::Write, "_SEL", 1, 0, ENOSPC}};
  bufferSize = 4000;
  std::u32string hugeKeyword(4000 + 16, U'k');  // over the write buffer
  run(CrLf({"a", "b"}), hugeKeyword, U"E");
  EXPECT_TRUE(failed);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].title, "File Write Error");
  EXPECT_EQ(host.yields, 0);
}

TEST_F(KeywordRange, IllFormedKeywordStopsTheFileWithItsReason) {
  struct Case {
    std::u32string start, end;
    std::string reason, shown;
  };
  const Case cases[] = {
      {U"[abc", U"E", "「[」に対応する「]」がありません", "[abc"},
      {U"S", U"x[", "「[」に対応する「]」がありません", "x["},
      {U"[z-a]", U"E", "文字範囲「z-a」の指定が逆順です", "[z-a]"},
  };
  for (const Case& c : cases) {
    host.boxes.clear();
    host.yields = 0;
    std::string result = run(CrLf({"S", "E"}), c.start, c.end);
    EXPECT_EQ(result, "");
    EXPECT_TRUE(failed);
    EXPECT_EQ(host.yields, 0);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(host.boxes[0].text, "キーワードの指定に誤りがあります\r" + c.reason +
                                      "\rキーワード[ " + c.shown + "]\r[ " + targetPath +
                                      "]\r処理を飛ばします");
  }
}

}  // namespace
}  // namespace kadrel
