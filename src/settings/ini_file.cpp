#include "settings/ini_file.h"

// Values are bytes of the code page; this file converts them, SimpleIni does not.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION  // the header holds the template definitions only under this name
#include <SimpleIni.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <limits>

#include "core/text/utf.h"

namespace kadrel {

namespace {

enum class FileRead { Read, Missing, Failed };

// The file's bytes when it is a regular file of sane size.
FileRead ReadWholeFile(const std::string& path, std::string& bytes, FileStatus& status) {
  status = ReadBoundedFile(path, kIniFileMaxBytes, bytes);
  if (status.ok()) return FileRead::Read;
  bytes.clear();
  return status.code == ENOENT ? FileRead::Missing : FileRead::Failed;
}

FileRead ReadWholeFile(const std::string& path, std::string& bytes) {
  FileStatus status;
  return ReadWholeFile(path, bytes, status);
}

// Replaces the file by bytes through a temporary file beside it, so that a failed
// write (a full disk) leaves the previous settings whole.
bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  const std::string temp = path + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

// Parses bytes; quotes keep blanks at the ends of a value and a value that is
// itself quoted.
bool ParseIni(const std::string& bytes, CSimpleIniA& ini) {
  ini.SetUnicode(false);
  ini.SetMultiKey(false);
  ini.SetMultiLine(false);
  ini.SetQuotes(true);
  ini.SetSpaces(false);  // key=value, as private-profile files are written
  return ini.LoadData(bytes) >= 0;
}

bool IsIniBlank(char c) {
  return c == ' ' || c == '\t';
}

// The value as written to the file: enclosed in quotes where reading would
// otherwise lose blanks at its ends or a pair of quotes around it.
std::string QuoteForStore(const std::string& value) {
  if (value.empty()) return value;
  const bool blankEnds = IsIniBlank(value.front()) || IsIniBlank(value.back());
  const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
  return blankEnds || quoted ? "\"" + value + "\"" : value;
}

std::string Encode(CodePage cp, const std::string& utf8) {
  return CodecFor(cp).encode(Utf8ToU32(utf8));
}

std::string Decode(CodePage cp, const std::string& bytes) {
  return U32ToUtf8(CodecFor(cp).decode(bytes));
}

// The first bytes of value, at most maxBytes, decoded; a character that the limit
// would split is left out whole.
std::string DecodeCut(CodePage cp, const std::string& bytes, size_t maxBytes) {
  const TextCodec& codec = CodecFor(cp);
  ByteForms forms;  // so that each character counts the bytes it was read from
  std::u32string text;
  codec.decode(bytes, text, &forms);
  if (bytes.size() > maxBytes) {
    size_t used = 0;
    size_t keep = 0;
    std::string piece;
    for (char32_t c : text) {
      piece.clear();
      codec.encode(std::u32string_view(&c, 1), piece, &forms);
      if (used + piece.size() > maxBytes) break;
      used += piece.size();
      ++keep;
    }
    text.resize(keep);
  }
  return U32ToUtf8(text);
}

std::optional<std::string> GetRaw(const CSimpleIniA& ini, CodePage cp, const std::string& section,
                                  const std::string& key) {
  const char* value = ini.GetValue(Encode(cp, section).c_str(), Encode(cp, key).c_str(), nullptr);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool SetRaw(CSimpleIniA& ini, CodePage cp, const std::string& section, const std::string& key,
            const std::string& value) {
  const std::string stored = QuoteForStore(Encode(cp, value));
  return ini.SetValue(Encode(cp, section).c_str(), Encode(cp, key).c_str(), stored.c_str()) >= 0;
}

bool SaveIni(const CSimpleIniA& ini, const std::string& path) {
  std::string out;
  if (ini.Save(out) < 0) return false;
  return WriteWholeFile(path, out);
}

}  // namespace

// The file parsed once, and whether a write changed it since.
struct clsIniFile::Held {
  CSimpleIniA ini;
  bool changed = false;
};

clsIniFile::clsIniFile(CodePage codePage) : codePage_(codePage) {}
clsIniFile::~clsIniFile() = default;

std::optional<std::string> clsIniFile::readRaw(const std::string& section,
                                               const std::string& key) const {
  if (held_) return GetRaw(held_->ini, codePage_, section, key);
  if (holdFailed_) return std::nullopt;
  std::string bytes;
  if (ReadWholeFile(path_, bytes) != FileRead::Read) return std::nullopt;
  CSimpleIniA ini;
  if (!ParseIni(bytes, ini)) return std::nullopt;
  return GetRaw(ini, codePage_, section, key);
}

bool clsIniFile::mSetString(const std::string& section, const std::string& key,
                            const std::string& value) {
  if (value.find_first_of("\r\n") != std::string::npos) return false;
  if (held_) {
    if (!SetRaw(held_->ini, codePage_, section, key, value)) return false;
    held_->changed = true;
    return true;
  }
  if (holdFailed_) return false;
  std::string bytes;
  if (ReadWholeFile(path_, bytes) == FileRead::Failed) return false;
  CSimpleIniA ini;
  if (!ParseIni(bytes, ini)) return false;
  return SetRaw(ini, codePage_, section, key, value) && SaveIni(ini, path_);
}

FileStatus clsIniFile::mHold() {
  held_.reset();
  holdFailed_ = false;
  std::string bytes;
  FileStatus status;
  auto held = std::make_unique<Held>();
  if (ReadWholeFile(path_, bytes, status) == FileRead::Failed || !ParseIni(bytes, held->ini)) {
    holdFailed_ = true;
    return status.ok() ? StatusFromErrno(EIO) : status;
  }
  held_ = std::move(held);
  return {};
}

bool clsIniFile::mFlush() {
  const bool failed = holdFailed_;
  holdFailed_ = false;
  std::unique_ptr<Held> held = std::move(held_);
  if (failed) return false;
  return !held || !held->changed || SaveIni(held->ini, path_);
}

void clsIniFile::mConvertHeld(CodePage codePage) {
  if (held_ && codePage != codePage_) {
    std::string bytes;
    if (held_->ini.Save(bytes) >= 0) {
      auto converted = std::make_unique<Held>();
      if (ParseIni(Encode(codePage, Decode(codePage_, bytes)), converted->ini)) {
        converted->changed = true;
        held_ = std::move(converted);
      }
    }
  }
  codePage_ = codePage;
}

std::string clsIniFile::mGetString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const {
  std::optional<std::string> raw = readRaw(section, key);
  std::string value =
      DecodeCut(codePage_, raw ? *raw : Encode(codePage_, defaultValue), kIniValueMaxBytes);
  return value.empty() ? defaultValue : value;
}

std::optional<int16_t> clsIniFile::mGetInteger(const std::string& section, const std::string& key,
                                               int16_t defaultValue) const {
  std::optional<std::string> raw = readRaw(section, key);
  if (!raw) return defaultValue;
  const std::string& text = *raw;
  size_t i = 0;
  while (i < text.size() && IsIniBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 32768) return std::nullopt;  // out of range whatever follows
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int16_t>(value);
}

}  // namespace kadrel
