// The recent COMBO!! files: the list kept in the settings, its update after a
// COMBO!! file opened, and the items of the recent menu.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace kadrel {

inline constexpr size_t kRecentComboCount = 5;

// Recent COMBO!! files, most recent first; "" where none is recorded.
using RecentCombos = std::array<std::string, kRecentComboCount>;

// Caption of the recent menu's only item when no file is recorded (disabled).
inline constexpr const char* kRecentNone = "（なし）";

// Moves path to the front: an entry equal to it ignoring letter case moves up from
// its place; otherwise every entry moves one place back and the last falls out.
// The path is stored with the letter case given.
void PushRecentCombo(RecentCombos& recent, const std::string& path);

// The captions of the recent menu: every entry that is not blank, trimmed of
// spaces, in list order. Empty: the menu shows kRecentNone, disabled.
std::vector<std::string> RecentMenuItems(const RecentCombos& recent);

}  // namespace kadrel
