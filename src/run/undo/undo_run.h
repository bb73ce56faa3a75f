// Taking back the last run: every file the journal names that is still the file
// the run wrote (its id, size and hash) gets its previous content back, locked as
// a run locks a target, whatever the backup option was: a file kept by a hard
// link is renamed back (the very file, with its times and other names), unless
// the run gave that file another name since (its backup copy, made by a hard
// link): then, as for a kept copy, its content replaces the file whole as a run
// replaces a target, with the kept content's times, so that no file shares its
// inode with the backup. A file changed since is left alone and named, as is an
// entry outside the folders the run was given. No link is followed: the journal
// names files with their links resolved. The journal is used only when its folder
// is the runner's own and no other user may write to it.
//
// An undo killed halfway is finished by the next one: a file already given back
// (or never replaced) holds its previous content and is passed over. The journal
// is removed once every file is dealt with, so an undo is not undone again.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/host.h"
#include "io/file_layer.h"
#include "run/undo/journal_index.h"

namespace kadrel {

// The confirmation before an undo: the run's time, how many files it gives back,
// and those it cannot (not kept).
std::string UndoQuestion(const JournalIndex& index);
// The box when there is nothing to take back.
inline constexpr const char* kNothingToUndoText = "元に戻せる処理がありません。";

struct UndoOutcome {
  size_t restored = 0;
  size_t asBefore = 0;                                      // held their previous content already
  std::vector<std::string> changedSince;                    // left alone: changed after the run
  std::vector<std::string> notKept;                         // their previous content was not kept
  std::vector<std::pair<std::string, std::string>> failed;  // path, why
  // The journal stopped recording during the run: more files than named may
  // have been replaced, unnamed of them known by count alone.
  bool incomplete = false;
  uint64_t unnamed = 0;
  bool cancelled = false;
};

// Takes back the run the journal in folder holds. Nothing is done when the
// journal cannot be used: journalStatus tells why (ENOENT: there is none;
// kErrLocked: a run or another undo uses it).
UndoOutcome UndoLastRun(FileLayer& files, const std::string& folder,
                        const std::atomic<bool>& cancel, FileStatus& journalStatus);

// The box of an undo that could not use the journal (journalStatus).
MessageBoxRequest UndoRefusalBox(const FileStatus& journalStatus);

// The outcome's box: how many files were given back, then the files left alone
// and why.
MessageBoxRequest UndoOutcomeBox(const UndoOutcome& outcome);

}  // namespace kadrel
