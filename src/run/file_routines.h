// The file routines of a run's targets. Each reports its own failure in a box
// (through the host given, or the run's) and tells the caller through its result.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/host.h"
#include "io/file_layer.h"

namespace kadrel {

struct RunState;

// The failure text when a derived name (backup copy, result file) is the file itself.
inline constexpr const char* kSameFileText =
    "作成するファイルが対象ファイルと同じ名前になります。付加文字の設定を確認してください。";

// The box of a file that could not be opened (or read).
void ShowOpenFailureBox(Host& host, const std::string& path, const std::string& error);
// The box of a file skipped for a bare LF in its first line.
void ShowUnixNewlineBox(Host& host, const std::string& path);
// The write-failure box of a file that could not be completed or written.
void ShowWriteFailure(Host& host, const FileStatus& status, const std::string& path);

// Opens and locks list entry index for its processing, after removing what killed
// runs left in its folder. A failure comes back with its status, after the
// open-error box; a file the run has processed already (listed twice, or reached
// again through a link) without a box (kErrAlreadyDone). Targets are opened in
// list order, so that of two names of one file the first is processed.
[[nodiscard]] Opened<TargetFile> OpenTarget(RunState& run, Host& host, size_t index,
                                            bool forWriting);

// The backup copy's name of list entry index, or nothing after the backup-failure
// box when it cannot be one: the target itself, another listed file, a link, not
// a file.
[[nodiscard]] std::optional<DropPath> BackupName(RunState& run, Host& host, size_t index);
// The new content of a target; null after the open-error box. The file it becomes
// counts as processed from now on: reached again once it has taken the name, it
// is not processed twice.
[[nodiscard]] std::unique_ptr<NewFile> CreateReplacement(RunState& run, Host& host,
                                                         TargetFile& target,
                                                         const std::string& path);
// A result file at name holding source's extraction; null after the open-error
// box (the name is a listed file, a link, not a file...). path names the target.
[[nodiscard]] std::unique_ptr<NewFile> CreateResult(RunState& run, Host& host, const DropPath& name,
                                                    const TargetFile& source,
                                                    const std::string& path);

// The completed replacement takes the target's name (listed as listedPath); with
// backup, the previous content is kept there first. False after its box.
bool CommitReplacement(RunState& run, TargetFile& target, NewFile& replacement,
                       const std::string& listedPath, const std::optional<DropPath>& backup);
// A completed result takes its name. False after its box.
bool CommitResult(RunState& run, NewFile& result, const std::string& path);

}  // namespace kadrel
