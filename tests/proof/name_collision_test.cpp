// Targets whose derived names are other targets: a backup copy or a result file
// must never be written over a listed file (both can be listed when the affixes
// change after the drop, or when a runner is given the names).
#include <gtest/gtest.h>

#include "proof/run_world.h"

namespace kadrel::proof {
namespace {

using test::ReadFile;

class NameCollision : public testing::TestWithParam<bool> {};

TEST_P(NameCollision, ABackupCopyNeverReplacesAListedFile) {
  for (int16_t keep : {0, 1}) {
    Scenario s;
    s.combo = GetParam();
    s.steps = {"0,0,a,0,X,#"};
    s.options.BkupEdit = keep;
    s.files = {{"f.txt", "a1\r\n"}, {"f.txt_BK", "a2 precious\r\n"}, {"g.txt", "a3\r\n"}};
    World w(s);
    w.run();
    const bool backups = s.combo || keep == 1;
    if (!backups) {  // no backup copy is made: nothing to refuse
      EXPECT_EQ(w.boxes(), std::vector<std::string>{});
      EXPECT_EQ(ReadFile(w.path("f.txt")), "X1\r\n");
    } else {
      EXPECT_EQ(w.boxes(),
                std::vector<std::string>{"|ファイルバックアップ処理でエラーが発生しました\r元[ " +
                                         w.path("f.txt") + "]\r先[ " + w.path("f.txt_BK") +
                                         "]\r作成するファイルが対象ファイルと同じ名前になります。"
                                         "付加文字の設定を確認してください。"});
      EXPECT_EQ(ReadFile(w.path("f.txt")), "a1\r\n");  // skipped
    }
    EXPECT_EQ(ReadFile(w.path("f.txt_BK")), "X2 precious\r\n");
    EXPECT_EQ(ReadFile(w.path("g.txt")), "X3\r\n");
  }
}

INSTANTIATE_TEST_SUITE_P(PlainAndCombo, NameCollision, testing::Bool());

}  // namespace
}  // namespace kadrel::proof
