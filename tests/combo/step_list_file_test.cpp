#include "combo/step_list_file.h"

#include <gtest/gtest.h>

#include "support/fake_host.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace kadrel {
namespace {

using test::FakeHost;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(StepListFile, WrittenInTheCodePageAndReadBack) {
  TempDir dir;
  const std::string path = dir.file(kStepListFileName);
  const std::vector<std::string> steps = {"3,開始,終了,#", "0,0,a,0,b,#", "1,#"};
  EXPECT_TRUE(WriteStepListFile(SystemFileLayer(), CodePage::CP932, path, steps).ok());
  EXPECT_EQ(ReadFile(path),
            CodecFor(CodePage::CP932).encode(U"3,開始,終了,#") + "\r\n0,0,a,0,b,#\r\n1,#\r\n");

  FakeHost host;
  ComboModel model;
  ASSERT_TRUE(ReadStepListFile(host, SystemFileLayer(), CodePage::CP932, path, model).ok());
  EXPECT_EQ(model.steps, steps);
  EXPECT_EQ(model.text,
            "キーワード指定範囲抽出　開始Key 開始  終了Key 終了\r\n"
            "文字列置換　置換前文字列 a  置換後文字列 b\r\n"
            "改行コード置換(UNIX形式→TEXT形式)　設定必要なし\r\n");
}

// A step typed under UTF-8 and kept after a change to CP932 is never written as
// "?" (a step that would replace every "?"): the list goes out in UTF-8 behind a
// byte order mark, read back as such whatever the code page.
TEST(StepListFile, AStepTheCodePageCannotHoldIsKeptWhole) {
  TempDir dir;
  const std::string path = dir.file(kStepListFileName);
  const std::vector<std::string> steps = {"0,0,😀,0,x,#", "1,#"};
  EXPECT_TRUE(WriteStepListFile(SystemFileLayer(), CodePage::CP932, path, steps).ok());
  EXPECT_EQ(ReadFile(path),
            "\xEF\xBB\xBF"
            "0,0,😀,0,x,#\r\n1,#\r\n");

  FakeHost host;
  ComboModel model;
  ASSERT_TRUE(ReadStepListFile(host, SystemFileLayer(), CodePage::UTF8, path, model).ok());
  EXPECT_EQ(model.steps, steps);
  ASSERT_TRUE(ReadStepListFile(host, SystemFileLayer(), CodePage::CP932, path, model).ok());
  EXPECT_EQ(model.steps, std::vector<std::string>{"1,#"});
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_NE(host.boxes[0].text.find("😀"), std::string::npos) << host.boxes[0].text;
}

TEST(StepListFile, NoStepsDeletesTheFile) {
  TempDir dir;
  const std::string path = dir.file(kStepListFileName);
  WriteFile(path, "1,#\r\n");
  EXPECT_TRUE(WriteStepListFile(SystemFileLayer(), CodePage::CP932, path, {}).ok());
  EXPECT_FALSE(test::FileExists(path));
  EXPECT_TRUE(WriteStepListFile(SystemFileLayer(), CodePage::CP932, path, {}).ok());
  EXPECT_FALSE(
      WriteStepListFile(SystemFileLayer(), CodePage::CP932, dir.file("no/such/folder/x"), {"1,#"})
          .ok());
}

TEST(StepListFile, ReadingRules) {
  TempDir dir;
  const std::string path = dir.file(kStepListFileName);
  std::string bytes = "  \r\n#\r\n#,\r\n#,Heading,#\r\nno fields\r\n3,,END,#\r\n";
  for (int i = 0; i < 250; ++i) bytes += "1,#\r\n";  // no step limit here
  WriteFile(path, bytes);
  FakeHost host;
  ComboModel model;
  model.steps = {"stale"};
  model.text = "COMBO!!ファイルをドロップして下さい";
  ASSERT_TRUE(ReadStepListFile(host, SystemFileLayer(), CodePage::CP932, path, model).ok());
  EXPECT_EQ(model.steps.size(), 250u);
  EXPECT_TRUE(model.text.starts_with("<< Heading >>\r\n改行コード置換"));
  EXPECT_EQ(host.texts(), std::vector<std::string>{"開始ｷｰﾜｰﾄﾞ文字列を指定してください"});

  WriteFile(path, "1,#\n#,Heading,#\n3,A,B,#\n");  // saved by an editor on Linux
  ASSERT_TRUE(ReadStepListFile(host, SystemFileLayer(), CodePage::CP932, path, model).ok());
  EXPECT_EQ(model.steps, (std::vector<std::string>{"1,#", "3,A,B,#"}));

  FakeHost cancel;
  cancel.answers = {BoxAnswer::Cancel};
  WriteFile(path, "1,#\r\n3,,END,#\r\n1,#\r\n");
  ASSERT_TRUE(ReadStepListFile(cancel, SystemFileLayer(), CodePage::CP932, path, model).ok());
  EXPECT_EQ(model.steps, std::vector<std::string>{"1,#"});
}

TEST(StepListFile, MissingFileChangesNothing) {
  TempDir dir;
  FakeHost host;
  ComboModel model;
  model.text = "COMBO!!ファイルをドロップして下さい";
  EXPECT_EQ(
      ReadStepListFile(host, SystemFileLayer(), CodePage::CP932, dir.file(kStepListFileName), model)
          .code,
      ENOENT);
  EXPECT_EQ(model.text, "COMBO!!ファイルをドロップして下さい");
  EXPECT_TRUE(host.boxes.empty());
}

}  // namespace
}  // namespace kadrel
