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
const std::string kSeparator = "■■■■■■■■■■■■■■■■■■■■";

std::vector<std::string> Result(const std::string& path, const std::string& expression,
                                const std::vector<std::string>& body, bool separator = false) {
  std::vector<std::string> out = {"対象ファイル  [" + path + "]", "検索文字列   " + expression,
                                  kRuler};
  out.insert(out.end(), body.begin(), body.end());
  out.push_back(kRuler);
  out.push_back("抽出行数　　　　　　   " + std::to_string(body.size()) + " 行");
  if (separator) out.insert(out.end(), {"", kSeparator, ""});
  return out;
}

struct Search {
  std::u32string first, second, third;
  bool and0, and1;
};

class MatchingLines : public test::ExtractionTest {
 protected:
  std::string run(const std::vector<std::string>& lines, const Search& s) {
    return extract(CrLf(lines), [&](EngineIo& io) {
      ExtractMatchingLines(io, {s.first, s.second, s.third, s.and0, s.and1});
    });
  }
};

const std::vector<std::string> kLog = {"INFO start", "WARN disk",      "ERROR disk full",
                                       "info again", "ERROR and WARN", "done"};

TEST_F(MatchingLines, EitherOfTwoWordsWholeFile) {
  std::string result = run(kLog, {U"ERROR", U"WARN", U"", false, true});
  EXPECT_EQ(result, CrLf(Result(targetPath, " [ERROR] OR [WARN] ",
                                {"WARN disk", "ERROR disk full", "ERROR and WARN"})));
  EXPECT_EQ(host.yields, 6);
  EXPECT_FALSE(failed);
}

TEST_F(MatchingLines, ConditionsOverLines) {
  options.resultHeaders = false;
  struct Case {
    Search search;
    std::vector<std::string> body;
  };
  const std::vector<std::string> lines = {"A", "B", "C", "A B", "A C", "B C", "A B C", "none"};
  const Case cases[] = {
      {{U"A", U"B", U"C", true, false}, {"C", "A B", "A C", "B C", "A B C"}},  // (A and B) or C
      {{U"A", U"B", U"C", false, true}, {"A C", "B C", "A B C"}},              // (A or B) and C
      {{U"A", U"B", U"C", true, true}, {"A B C"}},
      {{U"A", U"B", U"C", false, false}, {"A", "B", "C", "A B", "A C", "B C", "A B C"}},
      {{U"", U"", U"C", true, true}, {"C", "A C", "B C", "A B C"}},
      {{U"", U"A", U"B", false, true}, {"A B", "A B C"}},
      {{U"A", U"", U"C", false, true}, {"A C", "A B C"}},
      {{U"A", U"B", U"", true, false}, {"A B", "A B C"}},
      {{U"", U"", U"", true, true}, {}},
      {{U"[!A-C ]", U"", U"", true, true}, {"none"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> expected = c.body;
    EXPECT_EQ(run(lines, c.search), CrLf(expected))
        << U32ToUtf8(c.search.first) << "/" << U32ToUtf8(c.search.second) << "/"
        << U32ToUtf8(c.search.third) << " " << c.search.and0 << c.search.and1;
  }
}

TEST_F(MatchingLines, CaseRules) {
  options.resultHeaders = false;
  EXPECT_EQ(run({"Error", "ERROR", "x"}, {U"error", U"", U"", true, true}),
            CrLf({"Error", "ERROR"}));
  options.caseSensitive = true;
  EXPECT_EQ(run({"Error", "ERROR", "error"}, {U"error", U"", U"", true, true}), CrLf({"error"}));
}

TEST_F(MatchingLines, HeaderShowsTheStringsAsTyped) {
  std::string result = run({"abc", "ABC D"}, {U"abc", U"d", U"", true, true});
  EXPECT_EQ(result, CrLf(Result(targetPath, " [abc] AND [d] ", {"ABC D"})));
}

TEST_F(MatchingLines, EmptyInputGivesHeaderAndZeroCount) {
  std::string result = run({}, {U"A", U"B", U"C", true, false});
  EXPECT_EQ(result, CrLf(Result(targetPath, "（  [A] AND [B]  ）OR [C]", {})));
}

TEST_F(MatchingLines, ShiftJisWholeFile) {
  codePage = CodePage::CP932;
  const TextCodec& sjis = CodecFor(CodePage::CP932);
  auto encode = [&](const std::vector<std::string>& lines) {
    return sjis.encode(Utf8ToU32(CrLf(lines)));
  };
  std::string result = extract(encode({"東京都", "大阪府", "京都府", "北海道"}), [&](EngineIo& io) {
    ExtractMatchingLines(io, {U"京", U"", U"府", true, true});
  });
  EXPECT_EQ(result, encode(Result(targetPath, " [京] AND [府]", {"京都府"})));
}

TEST_F(MatchingLines, IllFormedStringStopsTheFile) {
  std::string result = run(kLog, {U"A", U"B[", U"", true, true});
  EXPECT_EQ(result, "");
  EXPECT_TRUE(failed);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text,
            "キーワードの指定に誤りがあります\r「[」に対応する「]」がありません\rキーワード[ "
            "B[]\r[ " +
                targetPath + "]\r処理を飛ばします");
}

}  // namespace
}  // namespace kadrel
