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
  int16_t UndoJournal = 0;
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

// An affix of a backup or result name must keep the name in its target's folder
// and on one line: it holds no path separator ("/", nor "\" as typed on
// Windows), no ".." and no control character.
bool IsUsableAffix(const std::string& affix);

// Why a run option's text is refused (kadrel-cli's -o).
enum class OptionTextProblem {
  None,
  UnknownKey,          // not a run option key of section Option, nor CodePage
  NotAFlag,            // a check box option takes only 0 or 1
  BlankPattern,        // extension patterns of blanks only
  AllFilesWithOthers,  // "*.*" beside other patterns
  UnusableAffix,       // see IsUsableAffix
  UnknownCodePage,
};

// Sets one run option from its text, checked as the options dialog checks its
// controls; key is matched ignoring case. An empty text gives the option's
// default, as a stored empty value does. A flag's text is 0 or 1, blanks around
// it allowed. Where the dialog puts "*.*" in place of a blank pattern with a
// message, a blank text is refused: nothing is assumed unattended. On a problem
// the options are left unchanged.
OptionTextProblem SetRunOptionText(RunOptions& options, const std::string& key,
                                   const std::string& value);

}  // namespace kadrel
