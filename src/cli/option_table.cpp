#include "cli/option_table.h"

#include <algorithm>

namespace kadrel::cli {

namespace {

using G = OptionGroup;
using V = ValueKind;

constexpr OptionRow kOptions[] = {
    // replace.
    {OptionId::FromTab, '\0', "from-tab", "", G::Replace, kInReplace, V::None, "",
     "find TAB characters; FROM is left out"},
    {OptionId::ToTab, '\0', "to-tab", "", G::Replace, kInReplace, V::None, "",
     "put a TAB in place of each FROM; TO is left out"},
    {OptionId::ToCr, '\0', "to-cr", "", G::Replace, kInReplace, V::None, "",
     "put a CR in place of each FROM; TO is left out"},
    {OptionId::ToLf, '\0', "to-lf", "", G::Replace, kInReplace, V::None, "",
     "put an LF in place of each FROM; TO is left out"},
    {OptionId::ToCrLf, '\0', "to-crlf", "", G::Replace, kInReplace, V::None, "",
     "put a line break (CR LF) in place of each FROM, splitting the line; TO is left out"},
    // edit-lines.
    {OptionId::CutHead, '\0', "cut-head", "N", G::EditLines, kInEditLines, V::Text, "",
     "delete the first N characters of every line (a full-width character is one); what "
     "--insert, --spaces or --number give is put at the head"},
    {OptionId::CutTail, '\0', "cut-tail", "N", G::EditLines, kInEditLines, V::Text, "",
     "delete the last N characters of every line; what --insert, --spaces or --number give is "
     "put at the end (--cut-tail 0 adds at the end without deleting)"},
    {OptionId::Insert, '\0', "insert", "TEXT", G::EditLines, kInEditLines, V::Text, "",
     "put TEXT at the head of every line (at the end with --cut-tail)"},
    {OptionId::Spaces, '\0', "spaces", "N", G::EditLines, kInEditLines, V::Text, "",
     "put N spaces there"},
    {OptionId::Number, '\0', "number", "START[,STEP[,WIDTH]]", G::EditLines, kInEditLines, V::Text,
     "",
     "put a running number there: START on the first line, then STEP more on each line "
     "(default 1), padded with zeros to WIDTH digits (default: as many as START is written "
     "with, so 001 counts 001, 002, ...); with --cut-head or --cut-tail N above 0, numbers "
     "after the first keep their last N digits"},
    // lines.
    {OptionId::All, '\0', "all", "", G::Lines, kInLines, V::None, "",
     "copy the lines holding every WORD (the default)"},
    {OptionId::Any, '\0', "any", "", G::Lines, kInLines, V::None, "",
     "copy the lines holding any WORD"},
    // delete-blanks.
    {OptionId::EmptyLines, '\0', "empty-lines", "", G::DeleteBlanks, kInDeleteBlanks, V::None, "",
     "delete empty lines"},
    {OptionId::BlankLines, '\0', "blank-lines", "", G::DeleteBlanks, kInDeleteBlanks, V::None, "",
     "delete empty lines and lines of spaces only"},
    {OptionId::Leading, '\0', "leading", "", G::DeleteBlanks, kInDeleteBlanks, V::None, "",
     "delete the spaces at the head of every line"},
    {OptionId::Trailing, '\0', "trailing", "", G::DeleteBlanks, kInDeleteBlanks, V::None, "",
     "delete the spaces at the end of every line"},
    {OptionId::AllSpaces, '\0', "all-spaces", "", G::DeleteBlanks, kInDeleteBlanks, V::None, "",
     "delete every space. A space is U+0020 or the full-width U+3000, never a TAB"},
    // Every run.
    {OptionId::IgnoreCase, 'i', "ignore-case", "", G::Runs, kInRuns, V::None, "",
     "match upper and lower case alike (Unicode case folding). The operations tell them apart "
     "without it; -s and -c follow CompMode of the settings file"},
    {OptionId::Include, '\0', "include", "PATTERN", G::Runs, kInRuns | kInList, V::Text, "",
     "list only files whose extension PATTERN holds, such as '*.txt' (the drop filter: "
     "SelSts); may be repeated. Default: every file but backups and result files"},
    {OptionId::NoBackup, '\0', "no-backup", "", G::Runs, kInRuns, V::None, "",
     "keep no backup copy of a rewritten file (BkupEdit=0). The previous content stays in the "
     "undo journal until the next run all the same (see --no-undo)"},
    {OptionId::NoUndo, '\0', "no-undo", "", G::Runs, kInRuns, V::None, "",
     "keep nothing for --undo (UndoJournal=0): the journal of the run before is removed once a "
     "file is replaced, so that with --no-backup no previous content stays on the disk"},
    {OptionId::BackupSuffix, '\0', "backup-suffix", "SUFFIX", G::Runs, kInRuns | kInList, V::Text,
     "", "name backup copies FILE + SUFFIX (default: _BK; LstChrBk)"},
    {OptionId::Encoding, '\0', "encoding", "CODEPAGE", G::Runs, kAnywhere, V::Choice,
     "CP932 UTF-8 EUC-JP auto",
     "read and write files in CP932, UTF-8 or EUC-JP, or auto (the default): each file in the "
     "code page its bytes show (CodePage)"},
    {OptionId::LineNumbers, '\0', "line-numbers", "", G::Runs, kInExtractions, V::None, "",
     "put its line number before each extracted line (AddLineNo=1)"},
    {OptionId::NoHeader, '\0', "no-header", "", G::Runs, kInExtractions, V::None, "",
     "write extracted lines only, without the block naming the file and counting the lines "
     "(SelAddSts=1)"},
    {OptionId::DryRun, 'n', "dry-run", "", G::Runs, kInRuns, V::None, "",
     "write nothing (no file, backup or result) and print to standard output what the run "
     "would change as a unified diff in UTF-8 (result files as new files); bytes not valid in "
     "the file's code page as \\xNN, and on a terminal control characters too; boxes and exit "
     "status as the run would give them"},
    {OptionId::Color, '\0', "color", "WHEN", G::Runs, kInRuns, V::Choice, "auto always never",
     "colour the diff of -n: auto (when standard output is a terminal and NO_COLOR is not set), "
     "always or never"},
    {OptionId::Files0From, '\0', "files0-from", "FILE", G::Runs, kInRuns | kInList, V::File, "",
     "take the PATHs from FILE, each ended by a NUL byte (find -print0); - reads them from "
     "standard input"},
    {OptionId::Jobs, 'j', "jobs", "N", G::Runs, kInRuns, V::Text, "",
     "prepare N files at once, 1 to 64 (default: one per core, at most 8); whatever N, boxes, "
     "progress and the files' new contents come in list order, and a cancel leaves the file at "
     "hand and every file after it as it was; 1 takes them one after another, as -n does"},
    {OptionId::Option, 'o', "option", "KEY=VALUE", G::Runs, kAnywhere, V::Text, "",
     "set one run option of the settings file for this run: CompMode, SelSts, FstChrBk, "
     "LstChrBk, FstChr, LstChr, SelFile, SelAddSts, AddLineNo, BkupEdit, UpdateNoFile, "
     "UndoJournal, CodePage; may be repeated. Each value is checked as the options dialog "
     "checks it (flags 0 or 1, affixes without '/', '\\', '..' or control characters); an "
     "empty value gives the default"},
    {OptionId::Ini, '\0', "ini", "FILE", G::Runs, kAnywhere, V::File, "",
     "settings file whose section Option gives the run options (default: Kadrel.ini in the "
     "program's folder); never written"},
    {OptionId::Answer, '\0', "answer", "ok|cancel", G::Runs, kAnywhere, V::Choice, "ok cancel",
     "how OK/Cancel problem boxes are answered (default: cancel)"},
    {OptionId::Quiet, 'q', "quiet", "", G::Runs, kAnywhere, V::None, "",
     "no progress line, no code page named for each file (auto)"},
    // Step lines and COMBO!! files.
    {OptionId::Step, 's', "step", "LINE", G::StepLines, kAnywhere, V::Text, "",
     "run one step given as a step line, e.g. \"3,BEGIN,END,#\" (man kadrel-cli tells its "
     "fields)"},
    {OptionId::Combo, 'c', "combo", "FILE", G::StepLines, kAnywhere, V::File, "",
     "run a COMBO!! file; may be repeated, loaded in order"},
    // Other commands.
    {OptionId::List, '\0', "list", "", G::Commands, kAnywhere, V::None, "",
     "print the target file list PATH... gives and exit"},
    {OptionId::Null, '0', "null", "", G::Commands, kInList, V::None, "",
     "with --list: end each name with a NUL byte, not a newline"},
    {OptionId::Describe, '\0', "describe", "LINE|OPERATION", G::Commands, kAnywhere, V::Text, "",
     "check a step line, or an operation with its arguments and options but no PATH "
     "(--describe replace foo bar), as a step and print its description"},
    {OptionId::ShowCombo, '\0', "show-combo", "FILE", G::Commands, kAnywhere, V::File, "",
     "load COMBO!! files (FILE and the further names) and print the COMBO!! text they give"},
    {OptionId::Undo, '\0', "undo", "", G::Commands, kAnywhere, V::None, "",
     "take back the last run that replaced files: every file that is still the file that run "
     "wrote (its size, hash and inode) gets its previous content back; a file changed since, "
     "or one the journal could not keep or record, is left as it is and named in a box (runs "
     "made with the same --ini; exit status 2 when there is nothing to take back). A journal "
     "folder another user owns or may write to is not used. Only the last run: after a job "
     "given to several runs, its last one"},
    {OptionId::Help, 'h', "help", "", G::Commands, kAnywhere, V::None, "", "print this help"},
    {OptionId::Version, 'V', "version", "", G::Commands, kAnywhere, V::None, "",
     "print the version"},
};

constexpr OperationRow kOperations[] = {
    {Operation::Replace, "replace", kInReplace, "FROM TO PATH...",
     "replace every FROM with TO in every line (texts as they are: no pattern, no escape)"},
    {Operation::Crlf, "crlf", kInCrlf, "PATH...",
     "turn bare LF line ends into CR LF (files written on Unix for Windows)"},
    {Operation::EditLines, "edit-lines", kInEditLines, "OPTION... PATH...",
     "delete characters at the head or end of every line and put text, spaces or a running "
     "number there"},
    {Operation::Range, "range", kInRange, "START END PATH...",
     "copy the lines from each line holding START to the next line holding END into a result "
     "file beside each file (FILE_SEL)"},
    {Operation::Lines, "lines", kInLines, "WORD PATH...\nWORD... -- PATH...",
     "copy the lines holding WORD, or up to three WORDs given before --, into a result file "
     "beside each file"},
    {Operation::DeleteBlanks, "delete-blanks", kInDeleteBlanks, "OPTION... PATH...",
     "delete empty or blank lines and spaces"},
    {Operation::Combo, "combo", kInCombo, "FILE PATH...\nFILE... -- PATH...",
     "run the steps of a COMBO!! file, or of several given before --, over each file"},
};

constexpr Example kExamples[] = {
    {"kadrel-cli replace --no-backup foo bar notes/",
     "replace every \"foo\" with \"bar\" in the files under notes/, keeping no backups"},
    {"kadrel-cli lines ERROR --include '*.log' --encoding auto logs/",
     "copy the lines holding ERROR of every .log file under logs/ into FILE_SEL beside it"},
    {"kadrel-cli lines -i --any --no-header error warn -- - <app.log",
     "write the lines of app.log holding error or warn, in any case, to standard output"},
    {"kadrel-cli edit-lines --number 0001 notes.txt",
     "number the lines of notes.txt: 0001, 0002 and on"},
    {"kadrel-cli -n --color=always replace foo bar notes/ | less -R",
     "show what replacing \"foo\" would change, changing nothing"},
    {"find logs -name '*.log' -print0 | kadrel-cli crlf --files0-from=-",
     "turn the bare LF line ends of the files find lists into CR LF"},
    {"kadrel-cli -c tidy.cmb -o SelSts=\"*.txt;*.csv\" data/",
     "run the steps of tidy.cmb over the .txt and .csv files under data/"},
    {"kadrel-cli -s \"4,ERROR,True,,False,,#\" -o SelAddSts=1 - <app.log",
     "the same step as a step line: the lines of app.log holding ERROR, to standard output"},
};

}  // namespace

std::span<const OptionRow> Options() {
  return kOptions;
}

std::span<const OperationRow> Operations() {
  return kOperations;
}

std::span<const Example> Examples() {
  return kExamples;
}

const OptionRow& RowOf(OptionId id) {
  return *std::find_if(std::begin(kOptions), std::end(kOptions),
                       [id](const OptionRow& row) { return row.id == id; });
}

const OperationRow* FindOperation(std::string_view name) {
  for (const OperationRow& row : kOperations) {
    if (row.name == name) return &row;
  }
  return nullptr;
}

const OperationRow& RowOf(Operation operation) {
  return *std::find_if(std::begin(kOperations), std::end(kOperations),
                       [operation](const OperationRow& row) { return row.operation == operation; });
}

}  // namespace kadrel::cli
