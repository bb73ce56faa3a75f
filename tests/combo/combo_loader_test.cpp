#include "combo/combo_loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "combo/step_description.h"
#include "combo/step_line.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace kadrel {
namespace {

using test::FakeHost;
using test::TempDir;
using test::WriteFile;

constexpr const char* kLimitText = "COMBO!!処理が200を超えました\r\nこれ以上の展開はできません";

std::string Cp932(const std::string& utf8) {
  return CodecFor(CodePage::CP932).encode(Utf8ToU32(utf8));
}

std::string Steps(int count, const std::string& keyword) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += "3," + keyword + std::to_string(i) + ",END,#\r\n";
  return bytes;
}

class LoadComboFileTest : public ::testing::Test {
 protected:
  ComboLoadResult load(const std::string& name) {
    return LoadComboFile(host, SystemFileLayer(), CodePage::CP932, dir.file(name), model);
  }
  TempDir dir;
  FakeHost host;
  ComboModel model;
};

TEST_F(LoadComboFileTest, CommentsBlankLinesAndLinesWithoutFields) {
  WriteFile(dir.file("a.cmb"), "#,Prepare,#\r\n1,#\r\n   \r\nno commas here\r\n3,BEGIN,END,#\r\n");
  EXPECT_EQ(load("a.cmb"), ComboLoadResult::Loaded);
  EXPECT_EQ(model.steps, (std::vector<std::string>{"1,#", "3,BEGIN,END,#"}));
  EXPECT_EQ(model.text,
            "<< Prepare >>\r\n改行コード置換(UNIX形式→TEXT形式)　設定必要なし\r\n"
            "キーワード指定範囲抽出　開始Key BEGIN  終了Key END\r\n");
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(LoadComboFileTest, CodePageTextAndRawLinesKept) {
  // CR alone ends a line as well; the raw line keeps its spaces and terminator.
  WriteFile(dir.file("j.cmb"), Cp932("#,準備,#\r3, 開始 ,終了,# end  \r\n0,0,ｱ,0,イ,#"));
  EXPECT_EQ(load("j.cmb"), ComboLoadResult::Loaded);
  EXPECT_EQ(model.steps, (std::vector<std::string>{"3, 開始 ,終了,# end  ", "0,0,ｱ,0,イ,#"}));
  EXPECT_EQ(model.text,
            "<< 準備 >>\r\nキーワード指定範囲抽出　開始Key  開始   終了Key 終了\r\n"
            "文字列置換　置換前文字列 ｱ  置換後文字列 イ\r\n");
}

TEST_F(LoadComboFileTest, AutoReadsEachFileInTheCodePageItShows) {
  WriteFile(dir.file("e.cmb"), CodecFor(CodePage::EUCJP).encode(U"3,開始します,終了,#\r\n"));
  WriteFile(dir.file("b.cmb"),
            "\xEF\xBB\xBF"
            "0,0,ア,0,イ,#\r\n");
  LoadComboFiles(host, SystemFileLayer(), CodePageSetting::Auto(),
                 {dir.file("e.cmb"), dir.file("b.cmb")}, model);
  EXPECT_EQ(model.steps, (std::vector<std::string>{"3,開始します,終了,#", "0,0,ア,0,イ,#"}));
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(LoadComboFileTest, AByteOrderMarkIsReadAsItsEncodingWhateverTheCodePage) {
  const std::u32string steps = U"3,開始,終了,#\r\n1,#\r\n";
  const std::string utf8 = "\xEF\xBB\xBF" + U32ToUtf8(steps);
  std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
  for (char32_t c : steps) {
    utf16le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    utf16be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
  }
  const struct {
    const char* what;
    std::string bytes;
    CodePageSetting codePage;
  } rows[] = {
      {"UTF-8 mark, CP932", utf8, CodePage::CP932},
      {"UTF-8 mark, UTF-8", utf8, CodePage::UTF8},
      {"UTF-8 mark, EUC-JP", utf8, CodePage::EUCJP},
      {"UTF-8 mark, auto", utf8, CodePageSetting::Auto()},
      {"UTF-16LE mark, CP932", utf16le, CodePage::CP932},
      {"UTF-16BE mark, UTF-8", utf16be, CodePage::UTF8},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    WriteFile(dir.file("m.cmb"), row.bytes);
    FakeHost quiet;
    ComboModel m;
    EXPECT_EQ(LoadComboFile(quiet, SystemFileLayer(), row.codePage, dir.file("m.cmb"), m),
              ComboLoadResult::Loaded);
    EXPECT_EQ(m.steps, (std::vector<std::string>{"3,開始,終了,#", "1,#"}));
    EXPECT_TRUE(quiet.boxes.empty());
  }
}

TEST_F(LoadComboFileTest, LineEndsOfEveryEditor) {
  const std::vector<std::string> steps = {"1,#", "3,A,B,#"};
  const std::string text =
      "<< c >>\r\n改行コード置換(UNIX形式→TEXT形式)　設定必要なし\r\n"
      "キーワード指定範囲抽出　開始Key A  終了Key B\r\n";
  for (const std::string bytes : {"#,c,#\n1,#\n3,A,B,#\n", "#,c,#\r\n1,#\r\n3,A,B,#",
                                  "#,c,#\r1,#\n\n3,A,B,#\r\n", "#,c,#\n\r\n1,#\r3,A,B,#\n"}) {
    ComboModel m;
    WriteFile(dir.file("e.cmb"), bytes);
    EXPECT_EQ(LoadComboFile(host, SystemFileLayer(), CodePage::CP932, dir.file("e.cmb"), m),
              ComboLoadResult::Loaded);
    EXPECT_EQ(m.steps, steps) << testing::PrintToString(bytes);
    EXPECT_EQ(m.text, text) << testing::PrintToString(bytes);
  }
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(LoadComboFileTest, StepTextsAreCheckedForTheCodePage) {
  // EUC-JP reads 8FA2C3 as U+00A6 but has no code to write it with.
  WriteFile(dir.file("t.cmb"), "0,0,a,0,\x8f\xa2\xc3,#\n3,[abc,E,#\n4,A,,B,True,,#\n1,#\n");
  EXPECT_EQ(LoadComboFile(host, SystemFileLayer(), CodePage::EUCJP, dir.file("t.cmb"), model),
            ComboLoadResult::Loaded);
  EXPECT_EQ(model.steps, std::vector<std::string>{"1,#"});
  EXPECT_EQ(host.texts(),
            (std::vector<std::string>{
                "「置換後文字列」に EUC-JP で書き込めない文字があります [ ¦ (U+00A6) ]",
                "「開始ｷｰﾜｰﾄﾞ文字列」の指定に誤まりがあります（「[」に対応する「]」がありません） "
                "[ [abc ]",
                "AND/OR指定に誤まりがあります"}));
}

TEST_F(LoadComboFileTest, ProblemAnsweredOkSkipsTheLineCancelStops) {
  WriteFile(dir.file("p.cmb"), "3,,END,#\r\n1,#\r\n9,#\r\n5,1,0,0,0,0,#\r\n");
  host.answers = {BoxAnswer::Ok, BoxAnswer::Cancel};
  EXPECT_EQ(load("p.cmb"), ComboLoadResult::Cancelled);
  EXPECT_EQ(model.steps, std::vector<std::string>{"1,#"});
  EXPECT_EQ(host.texts(), (std::vector<std::string>{"開始ｷｰﾜｰﾄﾞ文字列を指定してください",
                                                    "処理区分に誤まりがあります [ 9 ]"}));
}

TEST_F(LoadComboFileTest, StepLimit) {
  const struct {
    int steps;
    size_t loaded;
    size_t limitBoxes;
  } cases[] = {{200, 200, 0}, {201, 200, 1}, {250, 200, 1}};
  for (const auto& c : cases) {
    FakeHost h;
    ComboModel m;
    WriteFile(dir.file("n.cmb"), "#,head,#\r\n" + Steps(c.steps, "K"));
    LoadComboFile(h, SystemFileLayer(), CodePage::CP932, dir.file("n.cmb"), m);
    EXPECT_EQ(m.steps.size(), c.loaded) << c.steps;
    EXPECT_EQ(h.boxes.size(), c.limitBoxes) << c.steps;
    if (!h.boxes.empty()) {
      EXPECT_EQ(h.boxes[0].text, kLimitText);
      EXPECT_EQ(h.boxes[0].icon, BoxIcon::Critical);
    }
  }
}

TEST_F(LoadComboFileTest, LimitCountsStepsOfEarlierFilesOfTheDrop) {
  WriteFile(dir.file("1.cmb"), Steps(150, "A"));
  WriteFile(dir.file("2.cmb"), Steps(150, "B"));
  model.steps = {"1,#"};  // a drop replaces what was loaded
  model.text = "old\r\n";
  const std::vector<std::string> opened = LoadComboFiles(
      host, SystemFileLayer(), CodePage::CP932, {dir.file("1.cmb"), dir.file("2.cmb")}, model);
  ASSERT_EQ(model.steps.size(), 200u);
  EXPECT_EQ(model.steps.front(), "3,A0,END,#");
  EXPECT_EQ(model.steps.back(), "3,B49,END,#");
  EXPECT_EQ(host.texts(), std::vector<std::string>{kLimitText});
  EXPECT_EQ(opened, (std::vector<std::string>{dir.file("1.cmb"), dir.file("2.cmb")}));
}

TEST_F(LoadComboFileTest, FileThatCannotBeOpened) {
  model.steps = {"1,#"};
  EXPECT_EQ(load("missing.cmb"), ComboLoadResult::OpenFailed);
  EXPECT_FALSE(ComboFileOpened(ComboLoadResult::OpenFailed));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].title, "File Open Error");
  EXPECT_EQ(host.boxes[0].icon, BoxIcon::Exclamation);
  const std::string tail = "\r[ " + dir.file("missing.cmb") + "]";
  EXPECT_TRUE(host.boxes[0].text.ends_with(tail)) << host.boxes[0].text;
  EXPECT_GT(host.boxes[0].text.size(), tail.size());  // the system's description first
  EXPECT_EQ(model.steps, std::vector<std::string>{"1,#"});

  FakeHost quiet;
  EXPECT_EQ(LoadComboFile(quiet, SystemFileLayer(), CodePage::CP932, "", model),
            ComboLoadResult::NoPath);
  EXPECT_FALSE(ComboFileOpened(ComboLoadResult::NoPath));
  EXPECT_TRUE(quiet.boxes.empty());
}

TEST_F(LoadComboFileTest, CommentWithoutTextEndsLoadingAndEmptiesTheText) {
  WriteFile(dir.file("c.cmb"), "1,#\r\n#,\r\n3,A,B,#\r\n");
  WriteFile(dir.file("d.cmb"), "3,C,D,#\r\n");
  const std::vector<std::string> opened = LoadComboFiles(
      host, SystemFileLayer(), CodePage::CP932, {dir.file("c.cmb"), dir.file("d.cmb")}, model);
  EXPECT_EQ(host.texts(),
            std::vector<std::string>{"COMBO!!データ展開中にエラーが発生しました\r\n( 9 ) "
                                     "インデックスが有効範囲にありません。"});
  EXPECT_EQ(host.boxes[0].icon, BoxIcon::Critical);
  EXPECT_EQ(model.text, "");  // START refuses until a file loads again
  EXPECT_EQ(model.steps, std::vector<std::string>{"1,#"});
  EXPECT_EQ(opened, std::vector<std::string>{dir.file("c.cmb")});  // the rest is not loaded
}

}  // namespace
}  // namespace kadrel
