#include "settings/ini_file.h"

// Values are bytes of the code page; this file converts them, SimpleIni does not.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION  // the header holds the template definitions only under this name
#include <SimpleIni.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string_view>

#include "io/file_layer.h"
#include "text/code_page_guess.h"
#include "text/utf.h"

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
// write (a full disk) leaves the previous settings whole; a link at its name is
// never written through.
bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  return ReplaceFileContent(SystemFileLayer(), path, bytes).ok();
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

// A value that would not read back as given through the code page (😀 in CP932,
// a file name holding bytes of another encoding) is stored as one RFC 2047 encoded
// word of its bytes, =?UTF-8?Q?=F0=9F=98=80?=: ASCII, which every code page holds,
// read back exactly, never "?". A value that itself has the form of such a word is
// stored as one too, so that reading tells the two apart.
constexpr std::string_view kWordStart = "=?UTF-8?Q?";
constexpr std::string_view kWordEnd = "?=";

bool HasWordForm(std::string_view value) {
  return value.size() >= kWordStart.size() + kWordEnd.size() && value.starts_with(kWordStart) &&
         value.ends_with(kWordEnd);
}

std::string EncodedWord(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out(kWordStart);
  for (unsigned char c : utf8) {
    if (c == ' ') {
      out += '_';
    } else if (c > ' ' && c < 0x7F && c != '=' && c != '?' && c != '_') {
      out += static_cast<char>(c);
    } else {
      out += '=';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out += kWordEnd;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The bytes an encoded word holds; nothing when stored is not a well-formed word
// (a value some other program wrote is then taken as it stands).
std::optional<std::string> DecodedWord(std::string_view stored) {
  if (!HasWordForm(stored)) return std::nullopt;
  const std::string_view body =
      stored.substr(kWordStart.size(), stored.size() - kWordStart.size() - kWordEnd.size());
  std::string out;
  for (size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (c == '_') {
      out += ' ';
    } else if (c == '=') {
      if (i + 2 >= body.size()) return std::nullopt;
      const int high = HexDigit(body[i + 1]), low = HexDigit(body[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else if (c > ' ' && c < 0x7F && c != '?') {
      out += c;
    } else {
      return std::nullopt;
    }
  }
  return out;
}

// The first bytes of a value held as an encoded word, at most maxBytes, without
// splitting a character (a byte that is not UTF-8 counts as one).
std::string CutWord(std::string word, size_t maxBytes) {
  size_t end = 0;
  char32_t c;
  while (end < word.size()) {
    const size_t n = std::max<size_t>(DecodeUtf8At(word, end, c), 1);
    if (end + n > maxBytes) break;
    end += n;
  }
  word.resize(end);
  return word;
}

// The bytes a value is stored as.
std::string StoredForm(CodePage cp, const std::string& value) {
  if (!HasWordForm(value)) {
    std::string bytes = Encode(cp, value);
    if (Decode(cp, bytes) == value) return bytes;
  }
  return EncodedWord(value);
}

// A stored value as it was given, whole.
std::string ValueOf(CodePage cp, const std::string& stored) {
  std::optional<std::string> word = DecodedWord(stored);
  return word ? *word : Decode(cp, stored);
}

std::optional<std::string> GetRaw(const CSimpleIniA& ini, CodePage cp, const std::string& section,
                                  const std::string& key) {
  const char* value = ini.GetValue(Encode(cp, section).c_str(), Encode(cp, key).c_str(), nullptr);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool SetRaw(CSimpleIniA& ini, CodePage cp, const std::string& section, const std::string& key,
            const std::string& value) {
  const std::string stored = QuoteForStore(StoredForm(cp, value));
  return ini.SetValue(Encode(cp, section).c_str(), Encode(cp, key).c_str(), stored.c_str()) >= 0;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// A file that starts with a UTF-8 byte order mark is UTF-8 whatever the code
// page: the mark is no part of its first line, and the file keeps it.
bool HasUtf8Mark(const std::string& bytes) {
  return bytes.starts_with(kUtf8Mark);
}

bool SaveIni(const CSimpleIniA& ini, const std::string& path, bool mark) {
  std::string out(mark ? kUtf8Mark : "");
  if (ini.Save(out) < 0) return false;
  return WriteWholeFile(path, out);
}

}  // namespace

// The file parsed once, its code page, and whether a write changed it since.
struct clsIniFile::Held {
  CSimpleIniA ini;
  CodePage shown = CodePage::UTF8;  // the code page its bytes showed
  CodePage cp = CodePage::CP932;    // the code page it is read and written in
  bool mark = false;                // it starts with a UTF-8 byte order mark
  bool changed = false;
};

clsIniFile::clsIniFile(CodePageSetting codePage) : codePage_(codePage) {}
clsIniFile::~clsIniFile() = default;

void clsIniFile::setCodePage(CodePageSetting codePage) {
  codePage_ = codePage;
  if (held_) {
    held_->cp = held_->mark ? CodePage::UTF8 : codePage.automatic ? held_->shown : codePage.fixed;
  }
}

CodePage clsIniFile::codePageOf(const std::string& bytes) const {
  if (HasUtf8Mark(bytes)) return CodePage::UTF8;
  return codePage_.automatic ? GuessCodePage(bytes, true).codePage : codePage_.fixed;
}

std::optional<std::string> clsIniFile::readRaw(const std::string& section, const std::string& key,
                                               CodePage& cp) const {
  if (held_) {
    cp = held_->cp;
    return GetRaw(held_->ini, cp, section, key);
  }
  cp = codePageOf("");
  if (holdFailed_) return std::nullopt;
  std::string bytes;
  if (ReadWholeFile(path_, bytes) != FileRead::Read) return std::nullopt;
  cp = codePageOf(bytes);
  CSimpleIniA ini;
  if (!ParseIni(bytes, ini)) return std::nullopt;
  return GetRaw(ini, cp, section, key);
}

bool clsIniFile::mSetString(const std::string& section, const std::string& key,
                            const std::string& value) {
  if (value.find_first_of("\r\n") != std::string::npos) return false;
  if (held_) {
    if (!SetRaw(held_->ini, held_->cp, section, key, value)) return false;
    held_->changed = true;
    return true;
  }
  if (holdFailed_) return false;
  std::string bytes;
  if (ReadWholeFile(path_, bytes) == FileRead::Failed) return false;
  CSimpleIniA ini;
  if (!ParseIni(bytes, ini)) return false;
  return SetRaw(ini, codePageOf(bytes), section, key, value) &&
         SaveIni(ini, path_, HasUtf8Mark(bytes));
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
  held->shown = GuessCodePage(bytes, true).codePage;
  held->mark = HasUtf8Mark(bytes);
  held->cp = codePageOf(bytes);
  held_ = std::move(held);
  return {};
}

bool clsIniFile::mFlush() {
  const bool failed = holdFailed_;
  holdFailed_ = false;
  std::unique_ptr<Held> held = std::move(held_);
  if (failed) return false;
  return !held || !held->changed || SaveIni(held->ini, path_, held->mark);
}

void clsIniFile::mConvertHeld(CodePageSetting codePage) {
  codePage_ = codePage;
  if (!held_) return;
  const CodePage to = codePage.automatic ? held_->cp : codePage.fixed;
  if (to == held_->cp) return;
  std::string bytes;
  if (held_->ini.Save(bytes) < 0) return;
  auto converted = std::make_unique<Held>();
  // Names and comments are converted with the whole text; then every value is
  // stored anew, so that one the new code page cannot hold is kept whole.
  if (!ParseIni(Encode(to, Decode(held_->cp, bytes)), converted->ini)) return;
  CSimpleIniA::TNamesDepend sections;
  held_->ini.GetAllSections(sections);
  for (const CSimpleIniA::Entry& section : sections) {
    CSimpleIniA::TNamesDepend keys;
    held_->ini.GetAllKeys(section.pItem, keys);
    for (const CSimpleIniA::Entry& key : keys) {
      const char* stored = held_->ini.GetValue(section.pItem, key.pItem, "");
      if (!SetRaw(converted->ini, to, Decode(held_->cp, section.pItem),
                  Decode(held_->cp, key.pItem), ValueOf(held_->cp, stored)))
        return;
    }
  }
  converted->shown = held_->shown;
  converted->mark = held_->mark && to == CodePage::UTF8;
  converted->cp = to;
  converted->changed = true;
  held_ = std::move(converted);
}

std::string clsIniFile::mGetString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const {
  CodePage cp;
  std::optional<std::string> raw = readRaw(section, key, cp);
  std::string value;
  if (std::optional<std::string> word = raw ? DecodedWord(*raw) : std::nullopt) {
    value = CutWord(std::move(*word), kIniValueMaxBytes);
  } else {
    value = DecodeCut(cp, raw ? *raw : Encode(cp, defaultValue), kIniValueMaxBytes);
  }
  return value.empty() ? defaultValue : value;
}

std::optional<int16_t> clsIniFile::mGetInteger(const std::string& section, const std::string& key,
                                               int16_t defaultValue) const {
  CodePage cp;
  std::optional<std::string> raw = readRaw(section, key, cp);
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
