// Settings files of arbitrary bytes: clsIniFile reads, the application settings
// load, and one write. Input: a byte choosing the code page, a value to store,
// then the file. Properties: a read never returns more than 255 bytes of the code
// page; the file held parsed once reads as it does key by key; the settings load
// ends with values in their ranges; a stored value reads back as written (cut to
// 255 bytes), and no other value changes with it.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "settings/app_settings.h"
#include "settings/ini_file.h"
#include "text/utf.h"

using namespace kadrel;

namespace {

const std::string& IniPath() {
  static const std::string path = [] {
    auto dir =
        std::filesystem::temp_directory_path() / ("kadrel-fuzz-ini-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / "Kadrel.ini").string();
  }();
  return path;
}

struct Key {
  const char* section;
  const char* key;
};
constexpr Key kKeys[] = {
    {"Option", "CompMode"},   {"option", "SELSTS"},    {"Option", "LstChrBk"},
    {"Option", "BKUPEdit"},   {"Option", "CodePage"},  {"Option", "CmbRecent0"},
    {"Settings", "MainTop"},  {"recent", "0"},         {"OptionM0", "ModeIdx"},
    {"OptionM2", "ComboCol"}, {"OptionM4", "SrcChr0"},
};

// The value as a read returns it: through the code page where that gives it back
// as given, cut to 255 bytes of the code page, else whole, cut to 255 of its own
// bytes; never splitting a character (a byte that is not UTF-8 counts as one).
std::string AsRead(const std::string& value, CodePage cp) {
  const TextCodec& codec = CodecFor(cp);
  const std::u32string through = codec.decode(codec.encode(Utf8ToU32(value)));
  if (U32ToUtf8(through) != value || value.starts_with("=?UTF-8?Q?")) {
    size_t end = 0;
    for (char32_t c; end < value.size();) {
      const size_t n = std::max<size_t>(DecodeUtf8At(value, end, c), 1);
      if (end + n > kIniValueMaxBytes) break;
      end += n;
    }
    return value.substr(0, end);
  }
  std::u32string kept;
  size_t bytes = 0;
  for (char32_t c : through) {
    const size_t n = codec.encode(std::u32string_view(&c, 1)).size();
    if (bytes + n > kIniValueMaxBytes) break;
    bytes += n;
    kept += c;
  }
  return U32ToUtf8(kept);
}

std::vector<std::string> ReadAll(const clsIniFile& ini) {
  std::vector<std::string> values;
  for (const Key& k : kKeys) {
    std::string v = ini.mGetString(k.section, k.key, "\x01");
    FUZZ_REQUIRE(CodecFor(ini.codePage().fixed).encode(Utf8ToU32(v)).size() <= kIniValueMaxBytes);
    ini.mGetInteger(k.section, k.key, 7);
    values.push_back(std::move(v));
  }
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const CodePage cp = static_cast<CodePage>(input.ConsumeIntegralInRange<int>(0, 2));
  const size_t which = input.ConsumeIntegralInRange<size_t>(0, std::size(kKeys) - 1);
  std::string value = input.ConsumeRandomLengthString(300);
  std::replace(value.begin(), value.end(), '\0', ' ');  // no text box holds a NUL
  const std::string file = input.ConsumeRemainingBytesAsString();
  std::ofstream(IniPath(), std::ios::binary | std::ios::trunc) << file;

  clsIniFile ini(cp);
  ini.pFileName(IniPath());
  const std::vector<std::string> before = ReadAll(ini);
  {  // parsed once for many reads, the file reads as it does key by key
    clsIniFile held(cp);
    held.pFileName(IniPath());
    FUZZ_REQUIRE(held.mHold().ok());
    FUZZ_REQUIRE(ReadAll(held) == before);
  }

  AppSettings settings;
  ModeSettings modes;
  const ModeLoadResult loaded = LoadAppSettings(IniPath(), settings, modes).modes;
  FUZZ_REQUIRE(settings.history.size() <= 20);
  FUZZ_REQUIRE(loaded.complete == loaded.stoppedAt.empty());
  if (loaded.complete) {
    FUZZ_REQUIRE(modes.ModeIdx >= 0 && modes.ModeIdx <= 6);
    FUZZ_REQUIRE(modes.ComboAct >= 0 && modes.ComboAct <= 2);
    FUZZ_REQUIRE(modes.Position == 0 || modes.Position == 1);
  }

  const Key& target = kKeys[which];
  if (!ini.mSetString(target.section, target.key, value)) return 0;
  const std::vector<std::string> after = ReadAll(ini);
  std::string expected = AsRead(value, cp);
  if (expected.empty()) expected = "\x01";  // an empty value reads as the default
  for (size_t k = 0; k < before.size(); ++k) {
    if (k != which) FUZZ_REQUIRE(after[k] == before[k]);
  }
  FUZZ_REQUIRE(after[which] == expected);
  return 0;
}
