#include "settings/recent_list.h"

#include <gtest/gtest.h>

namespace kadrel {
namespace {

TEST(PushRecentCombo, MovesToTheFront) {
  using List = std::array<std::string, 5>;
  const struct {
    List before;
    const char* path;
    List after;
  } cases[] = {
      {{"a", "b", "c", "d", "e"}, "d", {"d", "a", "b", "c", "e"}},
      {{"a", "b", "c", "d", "e"}, "f", {"f", "a", "b", "c", "d"}},  // a sixth drops the oldest
      {{"a", "b", "c", "d", "e"}, "a", {"a", "b", "c", "d", "e"}},
      {{"/x/A.cmb", "b", "", "", ""}, "/X/a.CMB", {"/X/a.CMB", "b", "", "", ""}},
      {{"a", "", "c", "", ""}, "c", {"c", "a", "", "", ""}},
      {{"", "", "", "", ""}, "a", {"a", "", "", "", ""}},
  };
  for (const auto& c : cases) {
    List list = c.before;
    PushRecentCombo(list, c.path);
    EXPECT_EQ(list, c.after) << c.path;
  }
}

TEST(RecentMenuItems, NonBlankEntriesTrimmedWithoutGaps) {
  EXPECT_EQ(RecentMenuItems({"", "", "", "", ""}), std::vector<std::string>{});
  EXPECT_EQ(RecentMenuItems({"/a", "", " /c ", "  ", ""}), (std::vector<std::string>{"/a", "/c"}));
}

}  // namespace
}  // namespace kadrel
