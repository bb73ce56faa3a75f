// The undo journal's folder: the index ("index") and the kept previous contents,
// named by number. It is "KadrelUndo" in the program's folder, or for a program
// whose settings are the user's own (an installed one) the user's state folder.
// Only one run or undo uses it at a time; it holds the last run that replaced
// files. Nothing in it is trusted unless the folder is the runner's own and no
// other user may write to it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "io/content_hash.h"
#include "io/file_layer.h"
#include "run/undo/journal_index.h"

namespace kadrel {

inline constexpr const char* kUndoFolderName = "KadrelUndo";
inline constexpr const char* kUndoIndexName = "index";

// The journal folder that goes with a program folder.
std::string UndoFolderOf(const std::string& programFolder);

// A journal folder that another user owns or may write to.
inline constexpr int kErrJournalNotPrivate = -20;

// The journal folder, opened and checked; locked to be used or written.
class JournalFolder {
 public:
  enum class Access {
    Look,    // read the index, not locked (whether there is a run to take back)
    Use,     // locked, when it exists (an undo; a run without a journal clearing it)
    Create,  // locked, created (private to the user, with its parents) when missing
  };

  JournalFolder() = default;
  ~JournalFolder();
  JournalFolder(const JournalFolder&) = delete;
  JournalFolder& operator=(const JournalFolder&) = delete;

  // status: why it could not be opened (ENOENT when missing, kErrLocked when
  // another run uses it, kErrJournalNotPrivate, with a text naming the folder).
  [[nodiscard]] bool open(const std::string& path, Access access, FileStatus& status);
  const std::string& path() const { return path_; }
  int fd() const { return fd_; }
  uint64_t device() const { return device_; }
  // A file of the journal by its name (a kept content's number).
  std::string fileName(uint64_t number) const;

  // The index it holds; nothing when there is none (or none that reads as one).
  std::optional<JournalIndex> readIndex() const;

  // Removes the index first (the journal is then no longer one), then the kept
  // contents: only names of the journal's own.
  void clear();

 private:
  std::string path_;
  int fd_ = -1;
  uint64_t device_ = 0;
};

// The index of the journal at path, its folder checked as JournalFolder does;
// nothing when there is none that can be trusted.
std::optional<JournalIndex> ReadJournalIndex(const std::string& path);

// A kept file's size, modification time and number of names, as its entry
// records them.
struct KeptState {
  FileId id;
  uint64_t size = 0;
  int64_t modified = 0;
  uint64_t links = 0;
  FileAttributes times;  // its access and modification times
};
bool KeptFileState(const JournalFolder& folder, uint64_t number, KeptState& state);

}  // namespace kadrel
