#include "text/code_page_setting.h"

#include <algorithm>
#include <cctype>

namespace kadrel {

std::optional<CodePageSetting> ParseCodePageSetting(std::string_view name) {
  if (name.size() == 4 && std::equal(name.begin(), name.end(), "auto", [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
      })) {
    return CodePageSetting::Auto();
  }
  if (std::optional<CodePage> cp = ParseCodePage(name)) return CodePageSetting(*cp);
  return std::nullopt;
}

std::string CodePageSettingName(const CodePageSetting& setting) {
  return setting.automatic ? "auto" : CodePageName(setting.fixed);
}

}  // namespace kadrel
