// The recent COMBO!! files: the list update after a file opened, and the items
// of the recent menu.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "combo/combo_model.h"

namespace kadrel {

// Caption of the recent menu's only item when no file is recorded (disabled).
inline constexpr const char* kRecentNone = "（なし）";

// Moves path to the front: an entry equal to it ignoring letter case moves up from
// its place; otherwise every entry moves one place back and the last falls out.
// The path is stored with the letter case given.
void PushRecentCombo(std::array<std::string, kRecentComboCount>& recent, const std::string& path);

// The captions of the recent menu: every entry that is not blank, trimmed of
// spaces, in list order. Empty: the menu shows kRecentNone, disabled.
std::vector<std::string> RecentMenuItems(const std::array<std::string, kRecentComboCount>& recent);

}  // namespace kadrel
