// The options dialog without its widgets: the values its controls hold, filling
// them, CLEAR, the checks of OK and storing.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/host.h"
#include "core/run_options.h"

namespace kadrel {

struct OptionDialogValues {
  std::string TextOptSts;  // extension patterns
  int16_t CompMode = 0;    // check boxes: 0 or 1
  std::string inFrChrBK;   // backup prefix / suffix
  std::string inToChrBK;
  std::string inFrChr;  // result prefix / suffix
  std::string inToChr;
  int16_t UpdateNoFile = 0;
  int16_t BkupEdit = 0;
  int16_t SelAddSts = 0;
  int16_t AddLineNo = 0;
  int16_t SelFile = 0;
  std::array<std::string, 3> TxtPtnName;  // pattern names 1..3
  CodePageSetting codePage;
};

// The controls as the dialog opens. A check box shows any non-zero option as ticked.
OptionDialogValues OptionDialogFromOptions(const RunOptions& options);

// The sample name under the affix boxes: prefix, "ABC.txt", suffix.
std::string SampleFileName(const std::string& prefix, const std::string& suffix);

// CLEAR: patterns, affixes and pattern names back to their first values; the
// check boxes and the code page keep theirs.
void ClearOptionDialog(OptionDialogValues& values);

struct OptionCheckResult {
  std::vector<MessageBoxRequest> messages;  // to be shown in order (OK only)
  bool accepted = false;                    // false: the dialog stays open
  bool resetTargetList = false;             // the pattern text changed (letter case counts)
};

// OK's checks in order. values is changed as the dialog changes its controls (an
// empty pattern becomes "*.*", an empty pattern name its first value), also when
// a later check refuses.
OptionCheckResult CheckOptionDialog(OptionDialogValues& values, const RunOptions& current);

// Stores the controls' values into the options (after CheckOptionDialog accepted).
void StoreOptionDialog(const OptionDialogValues& values, RunOptions& options);

}  // namespace kadrel
