// What --help and the manual page both make of the option table: option labels,
// operation forms, group titles, and text wrapped to a width.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/option_table.h"

namespace kadrel::cli {

inline constexpr OptionGroup kGroupsInOrder[] = {
    OptionGroup::Replace, OptionGroup::EditLines, OptionGroup::Lines,   OptionGroup::DeleteBlanks,
    OptionGroup::Runs,    OptionGroup::StepLines, OptionGroup::Commands};

// "-i, --ignore-case", "    --include PATTERN".
std::string OptionLabel(const OptionRow& row);

// "Options of replace", "Options of every run", ...
std::string OptionGroupTitle(OptionGroup group);

// Each form of the operation: "lines WORD PATH...", "lines WORD... -- PATH...".
std::vector<std::string> SynopsisForms(const OperationRow& op);

// text broken at blanks into lines of at most width characters (a longer word
// stands alone on its line).
std::vector<std::string> WrapText(std::string_view text, size_t width);

}  // namespace kadrel::cli
