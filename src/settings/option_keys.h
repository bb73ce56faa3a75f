// The run options and pattern names as section Option of the settings file holds
// them: key, default text and the member of RunOptions, in the order they are
// read and written.
#pragma once

#include <cstdint>
#include <string>

#include "core/run_options.h"

namespace kadrel {

inline constexpr const char* kOptionSection = "Option";
inline constexpr const char* kCodePageKey = "CodePage";

enum class OptionKind {
  Flag,         // a check box: 0 or 1
  Patterns,     // the extension patterns of the drop filter
  Affix,        // text put before or after a backup or result name
  PatternName,  // the name of a setting pattern
};

// A flag has `number` set, the other kinds `text`.
struct OptionKey {
  const char* readKey;
  const char* writeKey;
  const char* defaultValue;
  OptionKind kind;
  int16_t RunOptions::*number;
  std::string RunOptions::*text;
  // Written after the recent COMBO!! list: an option the first layout of the
  // file did not have.
  bool added = false;
};

inline constexpr OptionKey kOptionKeys[] = {
    {"CompMode", "CompMode", "0", OptionKind::Flag, &RunOptions::CompMode, nullptr},
    {"SelSts", "SelSts", "*.*", OptionKind::Patterns, nullptr, &RunOptions::SelSts},
    {"FstChrBk", "FstChrBk", "", OptionKind::Affix, nullptr, &RunOptions::FstChrBk},
    {"LstChrBk", "LstChrBk", "_BK", OptionKind::Affix, nullptr, &RunOptions::LstChrBk},
    {"FstChr", "FstChr", "", OptionKind::Affix, nullptr, &RunOptions::FstChr},
    {"LstChr", "LstChr", "_SEL", OptionKind::Affix, nullptr, &RunOptions::LstChr},
    {"SelFile", "SelFile", "0", OptionKind::Flag, &RunOptions::SelFile, nullptr},
    {"SelAddSts", "SelAddSts", "0", OptionKind::Flag, &RunOptions::SelAddSts, nullptr},
    {"AddLineNo", "AddLineNo", "0", OptionKind::Flag, &RunOptions::AddLineNo, nullptr},
    // Read in mixed case, written in capitals: one entry, as names ignore case.
    {"BkupEdit", "BKUPEdit", "1", OptionKind::Flag, &RunOptions::BkupEdit, nullptr},
    {"UpdateNoFile", "UpdateNoFile", "1", OptionKind::Flag, &RunOptions::UpdateNoFile, nullptr},
    {"PtnName1", "PtnName1", "(No.1)", OptionKind::PatternName, nullptr, &RunOptions::PtnName1},
    {"PtnName2", "PtnName2", "(No.2)", OptionKind::PatternName, nullptr, &RunOptions::PtnName2},
    {"PtnName3", "PtnName3", "(No.3)", OptionKind::PatternName, nullptr, &RunOptions::PtnName3},
    {"UndoJournal", "UndoJournal", "1", OptionKind::Flag, &RunOptions::UndoJournal, nullptr, true},
};

}  // namespace kadrel
