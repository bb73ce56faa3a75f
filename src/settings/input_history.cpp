#include "settings/input_history.h"

#include <algorithm>

#include "text/case_fold.h"
#include "text/strings.h"

namespace kadrel {

void AddHistoryItem(const std::string& s, std::vector<std::string>& list) {
  if (TrimSpaces(s).empty()) return;
  for (const std::string& entry : list) {
    if (EqualsIgnoreCase(entry, s)) return;
  }
  list.push_back(s);
}

std::vector<std::string> MergeInputHistory(const std::vector<std::string>& currentTexts,
                                           const std::vector<std::string>& history) {
  std::vector<std::string> merged;
  for (const std::string& s : currentTexts) AddHistoryItem(s, merged);
  for (const std::string& s : history) AddHistoryItem(s, merged);
  if (merged.size() > kHistoryMax) merged.resize(kHistoryMax);
  return merged;
}

}  // namespace kadrel
