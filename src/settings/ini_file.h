// Single values of the settings file. Every read loads the file afresh and every
// write saves it at once, so two instances on one file see each other's writes.
// Section and key names are matched without regard to letter case. Values are
// stored in the file's code page and handed out as UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/text/code_page_setting.h"

namespace kadrel {

// The longest value a read returns, in bytes of the code page.
inline constexpr size_t kIniValueMaxBytes = 255;

class clsIniFile {
 public:
  explicit clsIniFile(CodePageSetting codePage = CodePage::CP932) : codePage_(codePage) {}

  void pFileName(const std::string& path) { path_ = path; }
  const std::string& pFileName() const { return path_; }

  const CodePageSetting& codePage() const { return codePage_; }
  void setCodePage(CodePageSetting codePage) { codePage_ = codePage; }

  // Stores value under section/key, creating the file, the section and the key as
  // needed. False when the file could not be read or written, or when the value
  // holds a line break (it would not survive on one line).
  bool mSetString(const std::string& section, const std::string& key, const std::string& value);

  // The stored value, cut to its first kIniValueMaxBytes bytes in the code page (a
  // character that would be split by the cut is left out whole); the default when
  // the file, section or key is missing or the value is empty.
  std::string mGetString(const std::string& section, const std::string& key,
                         const std::string& defaultValue = "") const;

  // The value's leading decimal integer (0 when it has none); the default when the
  // key is missing; nothing when the number lies outside the 16-bit range.
  std::optional<int16_t> mGetInteger(const std::string& section, const std::string& key,
                                     int16_t defaultValue = 0) const;

 private:
  // The stored bytes of a value, or nothing when the key is missing; cp: the code
  // page of the file.
  std::optional<std::string> readRaw(const std::string& section, const std::string& key,
                                     CodePage& cp) const;
  // The code page of a file holding bytes.
  CodePage codePageOf(const std::string& bytes) const;

  std::string path_;
  CodePageSetting codePage_;
};

// Rewrites a whole settings file from one code page into another (when the code
// page option changes, so that values stored earlier read back unchanged); "auto"
// reads the code page the file shows, and keeps it as the file to go on with. A
// missing file is no error. False when the file could not be read or written.
bool ReencodeIniFile(const std::string& path, const CodePageSetting& from,
                     const CodePageSetting& to);

}  // namespace kadrel
