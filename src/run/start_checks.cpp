#include "run/start_checks.h"

#include "text/case_fold.h"
#include "text/utf.h"

namespace kadrel {

std::string CheckStart(const std::vector<std::string>& listEntries, bool comboMode,
                       const std::string& comboText) {
  if (listEntries.empty()) return "ファイルを指定してください";
  if (EqualsIgnoreCase(listEntries.front(), kTargetPlaceholder))
    return "ファイルを指定してください";
  if (!comboMode) return {};
  if (comboText.empty()) return "COMBO!!を指定してください";
  // The box still shows its prompt ("COMBO!!ファイルを...").
  const std::u32string text = Utf8ToU32(comboText);
  if (text.size() >= 5 && EqualsIgnoreCase(U32ToUtf8(text.substr(0, 5)), "COMBO")) {
    return "COMBO!!ファイルをドロップしてください";
  }
  return {};
}

}  // namespace kadrel
