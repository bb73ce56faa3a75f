#include "settings/recent_list.h"

#include "text/case_fold.h"
#include "text/strings.h"

namespace kadrel {

void PushRecentCombo(RecentCombos& recent, const std::string& path) {
  size_t last = recent.size() - 1;  // the entry that gives way
  for (size_t i = 0; i < recent.size(); ++i) {
    if (EqualsIgnoreCase(recent[i], path)) {
      last = i;
      break;
    }
  }
  for (size_t i = last; i > 0; --i) recent[i] = std::move(recent[i - 1]);
  recent[0] = path;
}

std::vector<std::string> RecentMenuItems(const RecentCombos& recent) {
  std::vector<std::string> items;
  for (const std::string& entry : recent) {
    std::string caption = TrimSpaces(entry);
    if (!caption.empty()) items.push_back(std::move(caption));
  }
  return items;
}

}  // namespace kadrel
