#include "settings/mode_settings.h"

#include <array>
#include <optional>
#include <stdexcept>
#include <utility>

#include "core/conversions.h"

namespace kadrel {

namespace {

// One stored value: where it lives, its default, how it is applied to the
// settings on loading (false: it cannot be) and how it is written.
struct ModeKey {
  const char* section;  // base name
  const char* key;
  const char* defaultValue;
  bool (*apply)(ModeSettings&, const std::string&);
  std::string (*store)(const ModeSettings&);
};

template <std::string ModeSettings::*Member>
bool ApplyText(ModeSettings& s, const std::string& value) {
  s.*Member = value;
  return true;
}

// A combo box whose text is taken as a number and written back as decimal.
template <std::string ModeSettings::*Member>
bool ApplyNumberText(ModeSettings& s, const std::string& value) {
  std::optional<int16_t> n = TryReadInteger(value);
  if (!n) return false;
  s.*Member = FormatInteger(*n);
  return true;
}

template <std::string ModeSettings::*Member>
std::string StoreText(const ModeSettings& s) {
  return s.*Member;
}

// A check box, an option button pair or a list selection: an index the control has.
template <int16_t ModeSettings::*Member, int Low, int High>
bool ApplyIndex(ModeSettings& s, const std::string& value) {
  std::optional<int16_t> n = TryReadInteger(value);
  if (!n || *n < Low || *n > High) return false;
  s.*Member = *n;
  return true;
}

template <int16_t ModeSettings::*Member>
std::string StoreIndex(const ModeSettings& s) {
  return FormatInteger(s.*Member);
}

// An AND/OR pair: 1 selects AND, any other number OR.
template <bool ModeSettings::*Member>
bool ApplyAnd(ModeSettings& s, const std::string& value) {
  std::optional<int16_t> n = TryReadInteger(value);
  if (!n) return false;
  s.*Member = *n == 1;
  return true;
}

template <bool ModeSettings::*Member>
std::string StoreAnd(const ModeSettings& s) {
  return s.*Member ? "1" : "0";
}

#define KADREL_TEXT(section, name, def)                                                 \
  ModeKey {                                                                             \
    section, #name, def, ApplyText<&ModeSettings::name>, StoreText<&ModeSettings::name> \
  }
#define KADREL_NUMBER_TEXT(section, name, def)                                                \
  ModeKey {                                                                                   \
    section, #name, def, ApplyNumberText<&ModeSettings::name>, StoreText<&ModeSettings::name> \
  }
#define KADREL_INDEX(section, name, def, high)                                                     \
  ModeKey {                                                                                        \
    section, #name, def, ApplyIndex<&ModeSettings::name, 0, high>, StoreIndex<&ModeSettings::name> \
  }
#define KADREL_AND(section, name, def)                                                \
  ModeKey {                                                                           \
    section, #name, def, ApplyAnd<&ModeSettings::name>, StoreAnd<&ModeSettings::name> \
  }

// In the order of loading. ModeIdx comes first, so that the window switches to the
// mode's page before the page's values arrive.
constexpr std::array<ModeKey, 27> kModeKeys = {
    KADREL_INDEX("Settings", ModeIdx, "0", 6),
    KADREL_TEXT("OptionM0", TrimChr, ""),
    KADREL_TEXT("OptionM0", ChangeChr, ""),
    KADREL_INDEX("OptionM0", TrimTab0, "0", 1),
    KADREL_INDEX("OptionM0", TrimTab1, "0", 1),
    KADREL_INDEX("OptionM0", TrimCR1, "0", 1),
    KADREL_INDEX("OptionM0", TrimLF1, "0", 1),
    KADREL_INDEX("OptionM2", Position, "0", 1),
    KADREL_NUMBER_TEXT("OptionM2", ComboCol, "6"),
    KADREL_INDEX("OptionM2", ComboAct, "0", 2),
    KADREL_INDEX("OptionM2", STRCheck, "0", 1),
    KADREL_NUMBER_TEXT("OptionM2", ComboSPCol, "6"),
    KADREL_TEXT("OptionM2", ADDText, ""),
    KADREL_TEXT("OptionM2", ComboLineSt, "000100"),
    KADREL_NUMBER_TEXT("OptionM2", ComboLineSkp, "100"),
    KADREL_TEXT("OptionM3", StartChr, ""),
    KADREL_TEXT("OptionM3", EndChr, ""),
    KADREL_TEXT("OptionM4", SrcChr0, ""),
    KADREL_TEXT("OptionM4", SrcChr1, ""),
    KADREL_TEXT("OptionM4", SrcChr2, ""),
    KADREL_AND("OptionM4", ChkAndOr0, "1"),
    KADREL_AND("OptionM4", ChkAndOr1, "1"),
    KADREL_INDEX("OptionM5", LineDel, "0", 1),
    KADREL_INDEX("OptionM5", SPLineDel, "0", 1),
    KADREL_INDEX("OptionM5", TrimLeft, "0", 1),
    KADREL_INDEX("OptionM5", TrimAll, "0", 1),
    KADREL_INDEX("OptionM5", TrimRight, "0", 1),
};

#undef KADREL_TEXT
#undef KADREL_NUMBER_TEXT
#undef KADREL_INDEX
#undef KADREL_AND

// Writing differs in one place: the space count goes before the spaces/string choice.
constexpr std::array<ModeKey, 27> SaveOrder() {
  std::array<ModeKey, 27> keys = kModeKeys;
  std::swap(keys[10], keys[11]);  // STRCheck, ComboSPCol
  return keys;
}
constexpr std::array<ModeKey, 27> kSaveKeys = SaveOrder();

void CheckSlot(int slot) {
  if (slot < 0 || slot > kPatternCount) throw std::invalid_argument("mode settings slot");
}

}  // namespace

std::string ModeSectionName(const std::string& base, int slot) {
  return slot == 0 ? base : base + std::to_string(slot);
}

ModeLoadResult LoadModeSettings(const clsIniFile& ini, int slot, ModeSettings& settings) {
  CheckSlot(slot);
  for (const ModeKey& k : kModeKeys) {
    std::string value = ini.mGetString(ModeSectionName(k.section, slot), k.key, k.defaultValue);
    if (!k.apply(settings, value)) return ModeLoadResult{false, k.key};
  }
  return {};
}

void SaveModeSettings(clsIniFile& ini, int slot, const ModeSettings& settings) {
  CheckSlot(slot);
  for (const ModeKey& k : kSaveKeys) {
    ini.mSetString(ModeSectionName(k.section, slot), k.key, k.store(settings));
  }
}

}  // namespace kadrel
