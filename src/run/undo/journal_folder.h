// The undo journal's folder, "KadrelUndo" in the program's folder: the index
// ("index") and the kept previous contents, named by number. Only one run or
// undo uses it at a time; it holds the last run that replaced files.
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

std::string UndoFolderOf(const std::string& programFolder);

// The journal folder, opened (created, private to the user, when create) and
// locked: false when it is missing (and not to be created) or in use.
class JournalFolder {
 public:
  JournalFolder() = default;
  ~JournalFolder();
  JournalFolder(const JournalFolder&) = delete;
  JournalFolder& operator=(const JournalFolder&) = delete;

  // status: why it could not be opened (kErrLocked when another run uses it).
  [[nodiscard]] bool open(const std::string& path, bool create, FileStatus& status);
  const std::string& path() const { return path_; }
  int fd() const { return fd_; }
  uint64_t device() const { return device_; }
  // A file of the journal by its name (a kept content's number).
  std::string fileName(uint64_t number) const;

  // Removes the index first (the journal is then no longer one), then the rest.
  void clear();

 private:
  std::string path_;
  int fd_ = -1;
  uint64_t device_ = 0;
};

// The index of the journal at path; nothing when there is none (or none that
// reads as one).
std::optional<JournalIndex> ReadJournalIndex(const std::string& path);

// A kept file's size and modification time, as its entry records them.
bool KeptFileState(const JournalFolder& folder, uint64_t number, uint64_t& size, int64_t& modified);

}  // namespace kadrel
