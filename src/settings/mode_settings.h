// The mode settings: the selected mode and every mode page's values, stored as
// one set in slot 0 (the last session) or in a setting pattern (slots 1 to 3).
#pragma once

#include <cstdint>
#include <string>

#include "settings/ini_file.h"

namespace kadrel {

inline constexpr int kPatternCount = 3;

// The values as the window's controls hold them; the member defaults are the
// values a slot that was never stored gives.
struct ModeSettings {
  int16_t ModeIdx = 0;  // modeCombo, 0..6
  // Mode 0.
  std::string TrimChr;
  std::string ChangeChr;
  int16_t TrimTab0 = 0;  // check boxes: 0 or 1
  int16_t TrimTab1 = 0;
  int16_t TrimCR1 = 0;
  int16_t TrimLF1 = 0;
  // Mode 2.
  int16_t Position = 0;          // 0 line head, 1 line end
  std::string ComboCol = "6";    // combo box text
  int16_t ComboAct = 0;          // action index 0..2
  int16_t STRCheck = 0;          // 0 spaces, 1 string
  std::string ComboSPCol = "6";  // combo box text
  std::string ADDText;
  std::string ComboLineSt = "000100";  // kept with its leading zeros
  std::string ComboLineSkp = "100";    // combo box text
  // Mode 3.
  std::string StartChr;
  std::string EndChr;
  // Mode 4.
  std::string SrcChr0;
  std::string SrcChr1;
  std::string SrcChr2;
  bool ChkAndOr0 = true;  // true: AND
  bool ChkAndOr1 = true;
  // Mode 5, check boxes: 0 or 1.
  int16_t LineDel = 0;
  int16_t SPLineDel = 0;
  int16_t TrimLeft = 0;
  int16_t TrimAll = 0;
  int16_t TrimRight = 0;

  bool operator==(const ModeSettings&) const = default;
};

// The section of a slot: the base name, followed by the slot number unless 0.
std::string ModeSectionName(const std::string& base, int slot);

struct ModeLoadResult {
  bool complete = true;
  // The key whose value could not be applied ("" when complete).
  std::string stoppedAt;
};

// Reads slot (0..3) key by key into settings, each value replacing the member it
// belongs to. A value that cannot be applied ends the load there: the members
// read before it hold the stored values, the rest keep what they held. A value
// cannot be applied when
//   - a number is expected and the text is not a number in the 16-bit range
//     (every key but the texts and ComboLineSt),
//   - ModeIdx is outside 0..6, ComboAct outside 0..2,
//   - Position, STRCheck or a check box is neither 0 nor 1.
// An empty or missing value reads as its default. ComboCol, ComboSPCol and
// ComboLineSkp are taken as numbers and written back as decimal text.
ModeLoadResult LoadModeSettings(const clsIniFile& ini, int slot, ModeSettings& settings);

// Writes every value of settings to slot (0..3), in the order of the keys.
void SaveModeSettings(clsIniFile& ini, int slot, const ModeSettings& settings);

}  // namespace kadrel
