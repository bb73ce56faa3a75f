#include "settings/mode_settings.h"

#include <gtest/gtest.h>

#include "support/edited_settings.h"
#include "support/temp_dir.h"

namespace kadrel {
namespace {

using test::ReadFile;
using test::TempDir;

class ModeSettingsTest : public ::testing::Test {
 protected:
  ModeSettingsTest() { ini.pFileName(dir.file("Kadrel.ini")); }
  TempDir dir;
  clsIniFile ini;
};

TEST_F(ModeSettingsTest, NeverStoredSlotGivesEveryDefault) {
  ModeSettings s = test::EditedModeSettings();
  EXPECT_TRUE(LoadModeSettings(ini, 2, s).complete);
  EXPECT_EQ(s, ModeSettings{});
  EXPECT_EQ(s.ComboCol, "6");
  EXPECT_EQ(s.ComboLineSt, "000100");
  EXPECT_TRUE(s.ChkAndOr0 && s.ChkAndOr1);
}

TEST_F(ModeSettingsTest, SlotsRoundTripInTheirOwnSections) {
  for (int slot = 0; slot <= 3; ++slot) {
    ModeSettings stored = test::EditedModeSettings();
    stored.ModeIdx = static_cast<int16_t>(slot);
    stored.TrimChr = "slot" + std::to_string(slot);
    SaveModeSettings(ini, slot, stored);
  }
  for (int slot = 0; slot <= 3; ++slot) {
    ModeSettings s;
    EXPECT_TRUE(LoadModeSettings(ini, slot, s).complete);
    EXPECT_EQ(s.TrimChr, "slot" + std::to_string(slot));
    EXPECT_EQ(s.ModeIdx, slot);
    ModeSettings expected = test::EditedModeSettings();
    expected.ModeIdx = s.ModeIdx;
    expected.TrimChr = s.TrimChr;
    EXPECT_EQ(s, expected);
  }
  const std::string file = ReadFile(ini.pFileName());
  for (const char* section :
       {"[Settings]", "[OptionM0]", "[OptionM5]", "[Settings2]", "[OptionM02]", "[OptionM22]",
        "[OptionM32]", "[OptionM42]", "[OptionM52]"}) {
    EXPECT_NE(file.find(section), std::string::npos) << section;
  }
  EXPECT_EQ(file.find("[OptionM1"), std::string::npos);
}

TEST_F(ModeSettingsTest, KeysAreWrittenInOrder) {
  SaveModeSettings(ini, 0, test::EditedModeSettings());
  const std::string file = ReadFile(ini.pFileName());
  const char* order[] = {
      "ModeIdx",      "TrimChr",  "ChangeChr", "TrimTab0",   "TrimTab1", "TrimCR1",  "TrimLF1",
      "Position",     "ComboCol", "ComboAct",  "ComboSPCol", "STRCheck", "ADDText",  "ComboLineSt",
      "ComboLineSkp", "StartChr", "EndChr",    "SrcChr0",    "SrcChr1",  "SrcChr2",  "ChkAndOr0",
      "ChkAndOr1",    "LineDel",  "SPLineDel", "TrimLeft",   "TrimAll",  "TrimRight"};
  size_t at = 0;
  for (const char* key : order) {
    size_t next = file.find(std::string("\n") + key + "=", at);
    ASSERT_NE(next, std::string::npos) << key << " after position " << at;
    at = next + 1;
  }
  EXPECT_NE(file.find("ChkAndOr0=0"), std::string::npos);
}

TEST_F(ModeSettingsTest, StoredValuesAreConvertedAsTheControlsTakeThem) {
  ini.mSetString("OptionM2", "ComboCol", "007");
  ini.mSetString("OptionM2", "ComboSPCol", "");
  ini.mSetString("OptionM2", "ComboLineSt", "0050");
  ini.mSetString("OptionM2", "ComboLineSkp", " 20 ");
  ini.mSetString("OptionM4", "ChkAndOr0", "5");  // any number but 1 is OR
  ModeSettings s;
  EXPECT_TRUE(LoadModeSettings(ini, 0, s).complete);
  EXPECT_EQ(s.ComboCol, "7");
  EXPECT_EQ(s.ComboSPCol, "6");
  EXPECT_EQ(s.ComboLineSt, "0050");
  EXPECT_EQ(s.ComboLineSkp, "20");
  EXPECT_FALSE(s.ChkAndOr0);
  EXPECT_TRUE(s.ChkAndOr1);
}

TEST_F(ModeSettingsTest, PositionOfFiveStopsTheLoadThere) {
  ModeSettings stored = test::EditedModeSettings();
  SaveModeSettings(ini, 0, stored);
  ini.mSetString("OptionM2", "Position", "5");
  ModeSettings s;  // the window's values before loading
  s.ComboCol = "0";
  ModeLoadResult r = LoadModeSettings(ini, 0, s);
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.stoppedAt, "Position");
  ModeSettings expected;  // ModeIdx and the replacement page applied, nothing after
  expected.ComboCol = "0";
  expected.ModeIdx = stored.ModeIdx;
  expected.TrimChr = stored.TrimChr;
  expected.ChangeChr = stored.ChangeChr;
  expected.TrimTab0 = expected.TrimTab1 = expected.TrimCR1 = expected.TrimLF1 = 1;
  EXPECT_EQ(s, expected);
}

TEST_F(ModeSettingsTest, ValuesThatCannotBeApplied) {
  const struct {
    const char* section;
    const char* key;
    const char* value;
    bool stops;
  } cases[] = {
      {"Settings", "ModeIdx", "7", true},        {"Settings", "ModeIdx", "-1", true},
      {"Settings", "ModeIdx", "x", true},        {"Settings", "ModeIdx", "6", false},
      {"OptionM0", "TrimTab0", "2", true},       {"OptionM0", "TrimLF1", "1.0", false},
      {"OptionM2", "Position", "1", false},      {"OptionM2", "ComboCol", "x", true},
      {"OptionM2", "ComboCol", "40000", true},   {"OptionM2", "ComboCol", "-3", false},
      {"OptionM2", "ComboAct", "3", true},       {"OptionM2", "ComboAct", "2", false},
      {"OptionM2", "STRCheck", "2", true},       {"OptionM2", "ComboSPCol", "6桁", true},
      {"OptionM2", "ComboLineSt", "abc", false}, {"OptionM2", "ComboLineSkp", "1e9", true},
      {"OptionM4", "ChkAndOr1", "AND", true},    {"OptionM5", "TrimRight", "-1", true},
      {"OptionM3", "StartChr", "任意", false},
  };
  for (const auto& c : cases) {
    TempDir fresh;
    clsIniFile file;
    file.pFileName(fresh.file("Kadrel.ini"));
    file.mSetString(c.section, c.key, c.value);
    ModeSettings s = test::EditedModeSettings();
    ModeLoadResult r = LoadModeSettings(file, 0, s);
    EXPECT_EQ(!r.complete, c.stops) << c.key << "=" << c.value;
    if (c.stops) {
      EXPECT_EQ(r.stoppedAt, c.key);
      // The later keys kept the window's values.
      EXPECT_EQ(s.TrimRight, 1) << c.key;
    }
  }
}

TEST_F(ModeSettingsTest, SlotOutOfRangeIsRefused) {
  ModeSettings s;
  EXPECT_THROW(LoadModeSettings(ini, 4, s), std::invalid_argument);
  EXPECT_THROW(SaveModeSettings(ini, -1, s), std::invalid_argument);
}

}  // namespace
}  // namespace kadrel
