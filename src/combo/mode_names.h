// The fixed entries of the mode selection and of the head/tail action list, in
// index order. Descriptions and the window use the same texts.
#pragma once

#include <array>
#include <string_view>

namespace kadrel {

inline constexpr std::array<std::string_view, 7> kModeNames = {
    "文字列置換",
    "改行コード置換(UNIX形式→TEXT形式)",
    "行頭・行末文字列制御（付番・挿入・削除）",
    "キーワード指定範囲抽出",
    "複数文字列含み行抽出",
    "空白行・文字削除",
    "連続実行（連続技／COMBO!!）",
};

inline constexpr int kComboMode = 6;

// Entries of the head/tail action list (AddCombo).
inline constexpr std::array<std::string_view, 3> kHeadTailActions = {
    "削除",
    "文字列置換え（挿入）",
    "付番置換え（挿入）",
};

}  // namespace kadrel
