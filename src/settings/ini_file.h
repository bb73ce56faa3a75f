// Single values of the settings file. Every read loads the file afresh and every
// write saves it at once, so two instances on one file see each other's writes;
// a load or save of many values holds the file parsed once instead (mHold). Only
// a regular file of at most kIniFileMaxBytes is read. Section and key names are
// matched without regard to letter case. Values are stored in the file's code
// page and handed out as UTF-8; a value that would not read back as given through
// the code page (😀 in CP932, a name holding bytes of another encoding) is stored
// as an RFC 2047 encoded word of its bytes (ASCII), which reads back exactly,
// never as "?". With the code page option "auto" the file's code
// page is what its bytes show when it is read, so a file keeps the code page it
// has; one of ASCII alone (or none yet) takes UTF-8. A file that starts with a
// UTF-8 byte order mark is UTF-8 whatever the code page, and keeps its mark.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "io/file_layer.h"
#include "text/code_page_setting.h"

namespace kadrel {

// The longest value a read returns, in bytes of the code page.
inline constexpr size_t kIniValueMaxBytes = 255;

// The largest settings file read: far beyond the few kilobytes the program
// writes, small enough to parse at once.
inline constexpr size_t kIniFileMaxBytes = 16u << 20;

class clsIniFile {
 public:
  explicit clsIniFile(CodePageSetting codePage = CodePage::CP932);
  ~clsIniFile();
  clsIniFile(const clsIniFile&) = delete;
  clsIniFile& operator=(const clsIniFile&) = delete;

  void pFileName(const std::string& path) { path_ = path; }
  const std::string& pFileName() const { return path_; }

  const CodePageSetting& codePage() const { return codePage_; }
  void setCodePage(CodePageSetting codePage);

  // Stores value under section/key, creating the file, the section and the key as
  // needed. False when the file could not be read or written, or when the value
  // holds a line break (it would not survive on one line).
  bool mSetString(const std::string& section, const std::string& key, const std::string& value);

  // The stored value, cut to its first kIniValueMaxBytes bytes in the code page, or
  // of its UTF-8 when stored as an encoded word (a character that would be split by
  // the cut is left out whole); the default when the file, section or key is
  // missing or the value is empty.
  std::string mGetString(const std::string& section, const std::string& key,
                         const std::string& defaultValue = "") const;

  // The value's leading decimal integer (0 when it has none); the default when the
  // key is missing; nothing when the number lies outside the 16-bit range.
  std::optional<int16_t> mGetInteger(const std::string& section, const std::string& key,
                                     int16_t defaultValue = 0) const;

  // Reads and parses the file once for many calls: until mFlush, reads come from
  // this copy and writes change it. A missing file is held as an empty one. On a
  // failure (not a regular file, too large, not readable) the failure is returned,
  // nothing is held, reads give their defaults and writes fail.
  FileStatus mHold();
  // Writes the held copy back when a write changed it, and ends holding. False
  // when that write failed or mHold had failed.
  bool mFlush();

  // Converts the held copy from the current code page into codePage, which the
  // calls then use (for a change of the code page option; into "auto", the copy
  // stays in the code page it has).
  void mConvertHeld(CodePageSetting codePage);

 private:
  struct Held;
  // The stored bytes of a value, or nothing when the key is missing; cp: the code
  // page of the file.
  std::optional<std::string> readRaw(const std::string& section, const std::string& key,
                                     CodePage& cp) const;
  // The code page of a file holding bytes.
  CodePage codePageOf(const std::string& bytes) const;

  std::string path_;
  CodePageSetting codePage_;
  std::unique_ptr<Held> held_;
  bool holdFailed_ = false;
};

}  // namespace kadrel
