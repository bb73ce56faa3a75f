// The vocabulary of steps: the processing modes, the names of each mode's fields
// in a step record, and the codes some of those fields hold.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kadrel {

// The processing modes, numbered as the mode choice lists them and as field 1 of
// a step record writes them.
enum class StepMode : int16_t {
  Replace = 0,         // string replacement
  ConvertNewline = 1,  // bare LF line ends become CR LF
  EditLineEnds = 2,    // line head/tail: delete, insert a string or a number
  KeywordRange = 3,    // keyword range extraction
  MatchingLines = 4,   // multi-string line extraction
  DeleteBlanks = 5,    // blank lines and spaces
  Combo = 6,           // COMBO!!: runs the step list; it has no step of its own
};

inline constexpr int kModeCount = 7;

inline int ModeNumber(StepMode mode) {
  return static_cast<int>(mode);
}
// The mode numbered n, or nothing outside 0..6.
std::optional<StepMode> ModeOfNumber(int n);
// The mode whose number is written exactly as text ("0" to "6"; "00" or " 0" are
// none), or nothing.
std::optional<StepMode> ModeOfExactText(std::string_view text);
// The mode's number as field 1 writes it.
std::string ModeText(StepMode mode);

// Modes that rewrite the target in place (0, 1, 2, 5); the extraction modes (3, 4)
// write a result file and leave the target as it is.
bool RewritesTarget(StepMode mode);
bool Extracts(StepMode mode);

// The number of fields of a mode's step line, field 1 included (0 for COMBO!!).
int StepFieldCount(StepMode mode);

// The fields of each mode, named after the keys that store the page's values.
enum class ReplaceField {
  TrimTab0 = 2,       // 1: the search string is one TAB (field 3 ignored)
  TrimChr = 3,        // the search string
  Replacement = 4,    // what replaces it: a ReplacementCode, compared as exact text
  ChangeChr = 5,      // the replacement string (code "0")
  ReplacementSource,  // non-zero: the window's multi-line text (never in a step line)
};
enum class EditLineEndsField {
  Position = 2,      // 0 the line head, non-zero the line end
  ComboCol = 3,      // characters to delete
  ComboAct = 4,      // a HeadTailAction
  STRCheck = 5,      // action 1: 0 spaces, non-zero the string of ADDText
  ComboSPCol = 6,    // action 1: number of spaces
  ADDText = 7,       // action 1: the string
  ComboLineSt = 8,   // action 2: the start number; its length is the number's width
  ComboLineSkp = 9,  // action 2: the increment
};
enum class KeywordRangeField { StartChr = 2, EndChr = 3 };
enum class MatchingLinesField {
  SrcChr0 = 2,
  ChkAndOr0 = 3,  // "True": AND between strings 0 and 1, else OR
  SrcChr1 = 4,
  ChkAndOr1 = 5,  // "True": AND between those and string 2, else OR
  SrcChr2 = 6,
};
enum class DeleteBlanksField {
  LineDel = 2,    // delete blank lines
  SPLineDel = 3,  // lines of spaces only count as blank (with LineDel)
  TrimLeft = 4,
  TrimAll = 5,
  TrimRight = 6,
};

// What replaces a found string (ReplaceField::Replacement).
enum class ReplacementCode { Text = 0, Tab = 1, Cr = 2, Lf = 3, CrLf = 4 };
// The code the field's exact text names: "1" to "4"; any other text is Text.
ReplacementCode ReplacementCodeOf(std::string_view fieldText);
// The code as the field writes it ("0" to "4").
std::string ReplacementCodeText(ReplacementCode code);

// What the head/tail mode puts in place of the deleted characters (EditLineEndsField::ComboAct).
enum class HeadTailAction { Delete = 0, InsertText = 1, InsertNumber = 2 };
inline constexpr int kHeadTailActionCount = 3;

}  // namespace kadrel
