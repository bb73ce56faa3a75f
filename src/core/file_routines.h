// The run's file routines. Each reports its own failure in a box and tells the
// caller through its result.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "io/file_encoding.h"
#include "io/file_layer.h"

namespace kadrel {

struct RunContext;

// The failure text when a derived name (backup copy, result file) is the file itself.
inline constexpr const char* kSameFileText =
    "作成するファイルが対象ファイルと同じ名前になります。付加文字の設定を確認してください。";

// Opens and locks list entry index (ctx.TargetPath) for its processing, after
// removing what killed runs left in its folder. Null after the open-error box,
// or without a box for a file the run has processed already (listed twice, or
// reached again through a link).
[[nodiscard]] std::unique_ptr<TargetFile> OpenTarget(RunContext& ctx, size_t index,
                                                     bool forWriting);
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
[[nodiscard]] bool ChooseTargetEncoding(RunContext& ctx, TargetFile& target);
// True when the content may be processed: its first line holds no LF. The box
// names ctx.TargetPath. A cancel stops the reading (false, without a box).
[[nodiscard]] bool CheckUnixNewline(RunContext& ctx, Opened<InputFile> content);
// The backup copy's name of list entry index, or nothing after its box when it
// cannot be one: the target itself, another listed file, a link, not a file.
[[nodiscard]] std::optional<DropPath> BackupName(RunContext& ctx, size_t index);
// The new content of a target; null after the open-error box.
[[nodiscard]] std::unique_ptr<NewFile> CreateReplacement(RunContext& ctx, TargetFile& target);
// A result file at name holding source's extraction; null after the open-error
// box (the name is a listed file, a link, not a file...).
[[nodiscard]] std::unique_ptr<NewFile> CreateResult(RunContext& ctx, const DropPath& name,
                                                    const TargetFile& source);
// Opens ctx.in on input (reads stop when the run is cancelled) and ctx.out
// appending to output. False after the open-error box (naming ctx.TargetPath).
[[nodiscard]] bool OpenInOut(RunContext& ctx, Opened<InputFile> input, NewFile& output);
// Closes ctx.out, then ctx.in; a failure to flush or close the output is a write
// failure of the engine (box, ErrFlag). writePath names the output in the box.
void CloseRunFiles(RunContext& ctx, const std::string& writePath);
// The completed replacement takes the target's name (listed as listedPath);
// with backup, the previous content is kept there first. False after its box.
bool CommitReplacement(RunContext& ctx, TargetFile& target, NewFile& replacement,
                       const std::string& listedPath, const std::optional<DropPath>& backup);
// A completed result takes its name. False after its box.
bool CommitResult(RunContext& ctx, NewFile& result, const std::string& path);
// The write-failure box of a file that could not be completed.
void ShowWriteFailure(RunContext& ctx, const FileStatus& status, const std::string& path);

}  // namespace kadrel
