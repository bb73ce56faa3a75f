// The main window's fixed texts: the caption, the mode captions and what each mode
// creates, the COMBO!! prompt and the version box. Plain C++, no Qt.
#pragma once

#include <string>

namespace kadrel::ui {

inline const std::string kComboPrompt = "COMBO!!ファイルをドロップして下さい";

// Told when files or a folder chosen in a file dialog add nothing to the list.
inline const std::string kNothingAddedText =
    "追加できるファイルがありませんでした。\r"
    "一覧にあるファイル、ﾄﾞﾛｯﾌﾟ抽出拡張子ﾊﾟﾀｰﾝに合わないファイル、"
    "ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙと抽出結果ﾌｧｲﾙは加えません。";

// "Kadrel   Ver. " and the program's version.
std::string WindowCaption();
// The entry of modeCombo for a processing mode 0..6; empty for another number.
std::string ModeName(int mode);
// LblOutpuFileName's caption for a processing mode 0..6.
std::string OutputCaption(int mode);

// The project's web site as the build names it; empty while it has none.
std::string ProjectSite();
// The legal notice of the version box.
std::string LegalNotice();
// The version box's text, lines joined with CR LF, ending with the home page.
std::string VersionBoxText(const std::string& homePage);

}  // namespace kadrel::ui
