// The code page option: every file in one code page, or ("auto") each file in
// the code page its own bytes show.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/code_page.h"

namespace kadrel {

struct CodePageSetting {
  CodePageSetting() = default;
  CodePageSetting(CodePage cp) : fixed(cp) {}  // NOLINT: a code page is a setting
  static CodePageSetting Auto() {
    CodePageSetting s;
    s.automatic = true;
    return s;
  }
  bool automatic = false;
  CodePage fixed = CodePage::CP932;  // when not automatic
  bool operator==(const CodePageSetting&) const = default;
};

// "auto" (letter case ignored) or a code page name as ParseCodePage takes it.
std::optional<CodePageSetting> ParseCodePageSetting(std::string_view name);
// "auto" or the code page's name.
std::string CodePageSettingName(const CodePageSetting& setting);

// The code page step texts are checked against before a run: the fixed one; with
// "auto" UTF-8, which holds every character (each file's own code page checks
// them again when the file is opened).
inline CodePage TextCheckCodePage(const CodePageSetting& setting) {
  return setting.automatic ? CodePage::UTF8 : setting.fixed;
}

}  // namespace kadrel
