#include "combo/step_description.h"

#include <gtest/gtest.h>

#include "combo/step_line.h"

namespace kadrel {
namespace {

// Lines as validation leaves them: replacement steps carry their sixth field.
TEST(DescribeStep, EveryBranch) {
  const struct {
    const char* line;
    const char* description;
  } cases[] = {
      {"3,BEGIN,END,#", "キーワード指定範囲抽出　開始Key BEGIN  終了Key END"},
      {"3, B ,E ,#", "キーワード指定範囲抽出　開始Key  B   終了Key E"},
      {"1,#", "改行コード置換(UNIX形式→TEXT形式)　設定必要なし"},
      {"0,0,abc,0,xyz,0,#", "文字列置換　置換前文字列 abc  置換後文字列 xyz"},
      {"0,1,,4,,0,#", "文字列置換　置換前文字列 TABｺｰﾄﾞ  置換後文字列 CrLfｺｰﾄﾞ"},
      {"0,1,ignored,1,,0,#", "文字列置換　置換前文字列 TABｺｰﾄﾞ  置換後文字列 TABｺｰﾄﾞ"},
      {"0,0,,2,,0,#", "文字列置換　置換後文字列 Crｺｰﾄﾞ"},
      {"0,0,a,3,,0,#", "文字列置換　置換前文字列 a  置換後文字列 Lfｺｰﾄﾞ"},
      {"0,0,a,0,,0,#", "文字列置換　置換前文字列 a  置換後文字列"},
      {"0,0,abc,0,xyz,1,#", "文字列置換　置換前文字列 abc  置換後文章指定"},
      {"2,0,3,2,0,0,,1,1,#",
       "行頭・行末文字列制御（付番・挿入・削除）　行頭 3桁 付番置換え（挿入）  開始 1  刻み 1"},
      {"2,1,0,1,0,6,,0,0,#",
       "行頭・行末文字列制御（付番・挿入・削除）　行末 0桁 文字列置換え（挿入）  SPACE 6文字"},
      {"2,0,2,1,1,6,XY,0,0,#",
       "行頭・行末文字列制御（付番・挿入・削除）　行頭 2桁 文字列置換え（挿入）  文字列 XY"},
      {"2,0,2,0,0,0,,0,0,#", "行頭・行末文字列制御（付番・挿入・削除）　行頭 2桁 削除"},
      {"4,A,True,B,False,C,#", "複数文字列含み行抽出　（  [A] AND [B]  ）OR [C]"},
      {"4,A,true,,False,,#", "複数文字列含み行抽出　 [A]"},
      {"4,,-1,B,0,C,#", "複数文字列含み行抽出　 [B] OR [C]"},
      {"5,1,0,1,0,0,#", "空白行・文字削除　空白行削除 LeftSP"},
      {"5,1,1,1,1,1,#",
       "空白行・文字削除　空白行削除 SPACEだけの行も対象とする LeftSP ALLSP RightSP"},
      {"5,0,1,0,1,0,#", "空白行・文字削除　ALLSP"},
      // Only ASCII spaces are trimmed: the ideographic space after the name stays.
      {"5,0,1,0,0,0,#", "空白行・文字削除　"},
      {"6,#", "連続実行（連続技／COMBO!!）　"},
      // Fields that choose read as the run reads them: a flag is on when not 0, the
      // find-side TAB only when exactly 1. Counts, texts and numbers appear as written.
      {"0,0.6,abc,0,xyz,0,#", "文字列置換　置換前文字列 abc  置換後文字列 xyz"},
      {"0,0,abc,0,xyz,0.4,#", "文字列置換　置換前文字列 abc  置換後文章指定"},
      {"2,0.4,2.6,0,0,0,,0,0,#", "行頭・行末文字列制御（付番・挿入・削除）　行末 2.6桁 削除"},
      {"2,1,06,1,0,06,,0,0,#",
       "行頭・行末文字列制御（付番・挿入・削除）　行末 06桁 文字列置換え（挿入）  SPACE 06文字"},
      {"2,0,0,1,0.4,6,XY,0,0,#",
       "行頭・行末文字列制御（付番・挿入・削除）　行頭 0桁 文字列置換え（挿入）  文字列 XY"},
      {"2,0,0,1,0,2.5,,0,0,#",
       "行頭・行末文字列制御（付番・挿入・削除）　行頭 0桁 文字列置換え（挿入）  SPACE 2.5文字"},
      {"2,0,0,2,0,0,,+7, 1.6,#",
       "行頭・行末文字列制御（付番・挿入・削除）　行頭 0桁 付番置換え（挿入）  開始 +7  刻み  1.6"},
      {"2,0,0,2,0,0,,007,10,#",
       "行頭・行末文字列制御（付番・挿入・削除）　行頭 0桁 付番置換え（挿入）  開始 007  刻み 10"},
      {"4,A,True\t,B,False,C,#", "複数文字列含み行抽出　（  [A] AND [B]  ）OR [C]"},
      {"5,0.4,0.4,1,0,0,#", "空白行・文字削除　空白行削除 SPACEだけの行も対象とする LeftSP"},
      // Malformed steps give the text built so far, trimmed.
      {"0,0,abc,0,xyz,#", "文字列置換　置換前文字列 abc"},  // no sixth field
      {"2,0,3,7,0,0,,0,0,#", "行頭・行末文字列制御（付番・挿入・削除）　行頭 3桁"},
      {"2,0,-1,0,0,0,,0,0,#", "行頭・行末文字列制御（付番・挿入・削除）　行頭 -1桁 削除"},
      {"2,0,3,1,x,0,,0,0,#",
       "行頭・行末文字列制御（付番・挿入・削除）　行頭 3桁 文字列置換え（挿入）"},
      {"4,A,maybe,B,True,,#", "複数文字列含み行抽出　"},
      {"3,A,#", "キーワード指定範囲抽出　開始Key A  終了Key"},
      {"9,#", ""},
      {"X,#", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DescribeStep(SplitStepLine(c.line)), c.description) << c.line;
  }
}

}  // namespace
}  // namespace kadrel
