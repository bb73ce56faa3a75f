// The fixed entries of the mode selection and of the head/tail action list, in
// index order. Descriptions and the window use the same texts.
#pragma once

#include <array>
#include <string_view>

#include "core/step_mode.h"

namespace kadrel {

inline constexpr std::array<std::string_view, kModeCount> kModeNames = {
    "文字列置換",
    "改行コード置換(UNIX形式→TEXT形式)",
    "行頭・行末文字列制御（付番・挿入・削除）",
    "キーワード指定範囲抽出",
    "複数文字列含み行抽出",
    "空白行・文字削除",
    "連続実行（連続技／COMBO!!）",
};

inline std::string_view ModeName(StepMode mode) {
  return kModeNames[static_cast<size_t>(ModeNumber(mode))];
}

// Entries of the head/tail action list (AddCombo), in HeadTailAction order.
inline constexpr std::array<std::string_view, kHeadTailActionCount> kHeadTailActions = {
    "削除",
    "文字列置換え（挿入）",
    "付番置換え（挿入）",
};

}  // namespace kadrel
