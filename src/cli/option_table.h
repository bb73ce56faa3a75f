// The one table of kadrel-cli's command line: every option and every named
// operation, with the words that --help, the manual page and the bash completion
// show for them. The parser reads options by this table, the request is checked
// against it, and docs_generator.cpp writes the manual page's sections and the
// completion from it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kadrel::cli {

enum class OptionId {
  // Commands.
  Step,
  Combo,
  List,
  Describe,
  ShowCombo,
  Undo,
  Help,
  Version,
  // Options of every run.
  IgnoreCase,
  Include,
  NoBackup,
  NoUndo,
  BackupSuffix,
  Encoding,
  DryRun,
  Color,
  Files0From,
  Jobs,
  LineNumbers,
  NoHeader,
  Option,
  Ini,
  Answer,
  Quiet,
  Null,
  // replace.
  FromTab,
  ToTab,
  ToCr,
  ToLf,
  ToCrLf,
  // edit-lines.
  CutHead,
  CutTail,
  Insert,
  Spaces,
  Number,
  // lines.
  All,
  Any,
  // delete-blanks.
  EmptyLines,
  BlankLines,
  Leading,
  Trailing,
  AllSpaces,
};

// The named operations, each one processing mode.
enum class Operation { None, Replace, Crlf, EditLines, Range, Lines, DeleteBlanks, Combo };

// Where an option may be given: one bit per named operation and per command.
using Scope = uint32_t;
inline constexpr Scope kInReplace = 1u << 0;
inline constexpr Scope kInCrlf = 1u << 1;
inline constexpr Scope kInEditLines = 1u << 2;
inline constexpr Scope kInRange = 1u << 3;
inline constexpr Scope kInLines = 1u << 4;
inline constexpr Scope kInDeleteBlanks = 1u << 5;
inline constexpr Scope kInCombo = 1u << 6;
inline constexpr Scope kInStepLine = 1u << 7;   // -s
inline constexpr Scope kInComboFile = 1u << 8;  // -c
inline constexpr Scope kInList = 1u << 9;
inline constexpr Scope kInDescribe = 1u << 10;
inline constexpr Scope kInShowCombo = 1u << 11;
inline constexpr Scope kInUndo = 1u << 12;
inline constexpr Scope kInOperations =
    kInReplace | kInCrlf | kInEditLines | kInRange | kInLines | kInDeleteBlanks | kInCombo;
inline constexpr Scope kInRuns = kInOperations | kInStepLine | kInComboFile;
inline constexpr Scope kInExtractions = kInRange | kInLines | kInCombo | kInStepLine | kInComboFile;
inline constexpr Scope kAnywhere = ~Scope{0};

// The sections of --help and of the manual page, in the order shown.
enum class OptionGroup { Replace, EditLines, Lines, DeleteBlanks, Runs, StepLines, Commands };

// How the completion offers an option's value.
enum class ValueKind { None, Text, File, Choice };

struct OptionRow {
  OptionId id;
  char shortName;              // '\0': long name only
  std::string_view longName;   // without "--"
  std::string_view valueName;  // empty: takes no value
  OptionGroup group;
  Scope scope;
  ValueKind valueKind;
  std::string_view choices;  // ValueKind::Choice: the values, separated by blanks
  std::string_view help;     // one paragraph, wrapped where it is shown

  bool takesValue() const { return !valueName.empty(); }
};

struct OperationRow {
  Operation operation;
  std::string_view name;
  Scope scope;                // its bit
  std::string_view synopsis;  // what follows the name; forms apart by "\n"
  std::string_view help;      // one paragraph
};

std::span<const OptionRow> Options();
std::span<const OperationRow> Operations();

const OptionRow& RowOf(OptionId id);
// The operation named exactly name, or nullptr.
const OperationRow* FindOperation(std::string_view name);
const OperationRow& RowOf(Operation operation);

// An example of use: the command and what it does.
struct Example {
  std::string_view command;
  std::string_view effect;
};
std::span<const Example> Examples();

}  // namespace kadrel::cli
