// The run's file routines. Each reports its own failure in a box and tells the
// caller through its result.
#pragma once

#include <string>

#include "core/file_encoding.h"

namespace kadrel {

struct RunContext;

// The failure text when a derived name (backup copy, result file) is the file itself.
inline constexpr const char* kSameFileText =
    "作成するファイルが対象ファイルと同じ名前になります。付加文字の設定を確認してください。";

// Copies source to its backup copy; returns the backup path, or "" on failure.
[[nodiscard]] std::string MakeBackup(RunContext& ctx, const std::string& source);
// Replaces destination by a copy of source; false (after its box) on failure.
[[nodiscard]] bool CopyOver(RunContext& ctx, const std::string& source,
                            const std::string& destination);
// Puts the backup's content back over the target; false (after its box) on failure.
[[nodiscard]] bool RestoreFile(RunContext& ctx, const std::string& backup,
                               const std::string& target);
// Opens ctx.in on input and ctx.out on output (truncated, or appended to).
// False (after its box, both closed) on failure.
[[nodiscard]] bool OpenInOut(RunContext& ctx, const std::string& input, const std::string& output);
[[nodiscard]] bool OpenInAppend(RunContext& ctx, const std::string& input,
                                const std::string& output);
// Creates path empty (the joint result file at the start of a run). False on failure.
[[nodiscard]] bool CreateEmpty(RunContext& ctx, const std::string& path);
// The box of a file that could not be opened (or read in its code page).
void ShowOpenFailureBox(RunContext& ctx, const std::string& path, const std::string& error);
// The box of a file skipped for a bare LF in its first line.
void ShowUnixNewlineBox(RunContext& ctx, const std::string& path);

// Takes the encoding of an input read with ReadEncoding as the target's (with
// "auto", told to the host). False, after a box, when the input could not be read.
[[nodiscard]] bool AdoptEncoding(RunContext& ctx, const std::string& path,
                                 const EncodedInput& encoded);
// Chooses how the target's files are read and written (ctx.targetEncoding and
// ctx.outputEncoding): the code page option, or with "auto" what the target's
// first bytes show (told to the host). False, after a box, when the target cannot
// be read: it is then skipped.
[[nodiscard]] bool ChooseTargetEncoding(RunContext& ctx, const std::string& path);
// True when the file may be processed: its first line holds no LF.
[[nodiscard]] bool CheckUnixNewline(RunContext& ctx, const std::string& path);
// Closes ctx.out, then ctx.in; a failure to flush or close the output is a write
// failure of the engine (box, ErrFlag). writePath names the output in the box.
void CloseRunFiles(RunContext& ctx, const std::string& writePath);
// Deletes a file, ignoring failures.
void DeleteQuietly(RunContext& ctx, const std::string& path);

}  // namespace kadrel
