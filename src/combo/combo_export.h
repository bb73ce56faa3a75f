// The step line of the window's current settings, offered for copying into a
// COMBO!! file.
#pragma once

#include <string>

#include "core/host.h"
#include "core/step_record.h"

namespace kadrel {

// The box shown when the selected mode is COMBO!! itself.
MessageBoxRequest ExportRefusalBox();

inline constexpr const char* kExportTitle = "連続技/COMBO!!編集 テキストデータ";
inline constexpr const char* kExportPrompt =
    "この処理に対する連続技の引数は下記のようになります。\r\n"
    "下記テキストをコピーして１行毎にご利用ください。";

// Every field followed by a comma, then "#". A replacement step leaves out its
// sixth field (where its replacement comes from), which a step line never holds.
std::string BuildExportLine(const StepRecord& step);

}  // namespace kadrel
