// What the COMBO!! page holds: the step list and the text shown for it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kadrel {

inline constexpr size_t kMaxComboSteps = 200;
// The largest COMBO!! or step list file read: far more than 200 steps need, with
// room for comments and left-out lines beside them.
inline constexpr size_t kComboFileMaxBytes = 4u << 20;

struct ComboModel {
  // CmbDataList: the accepted step lines, exactly as read, in order.
  std::vector<std::string> steps;
  // TextCombo: one line per step (its description) and per comment heading
  // ("<< text >>"), each followed by CR LF.
  std::string text;
};

}  // namespace kadrel
