// The input history shared by the seven free-text fields of the mode pages.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kadrel {

inline constexpr size_t kHistoryMax = 20;

// Appends s to list unless it is blank (spaces only) or already there, ignoring
// letter case. s is appended as given, not trimmed.
void AddHistoryItem(const std::string& s, std::vector<std::string>& list);

// The history after a run: the fields' current texts (in field order) first, then
// the earlier history, without blanks or duplicates, at most kHistoryMax entries.
std::vector<std::string> MergeInputHistory(const std::vector<std::string>& currentTexts,
                                           const std::vector<std::string>& history);

}  // namespace kadrel
