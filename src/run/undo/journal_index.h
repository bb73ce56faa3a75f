// The index of the undo journal: when the last run was made, and for each target
// it replaced, how its previous content is kept and what the run wrote there.
// A text file of one line per target, appended as the run replaces them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_layer.h"

namespace kadrel {

struct JournalEntry {
  uint64_t number = 0;  // the kept file's name in the journal folder
  bool linked = false;  // kept as a hard link to the replaced file (else a copy)
  FileId previous;      // the replaced file
  uint64_t previousSize = 0;
  uint64_t previousHash = 0;  // a copy's: the hash of what it holds (0 for a link)
  uint64_t writtenSize = 0;   // what the run wrote
  uint64_t writtenHash = 0;
  std::string path;  // the file replaced, as its folder holds it (links resolved)
  bool operator==(const JournalEntry&) const = default;
};

struct JournalIndex {
  int64_t runTime = 0;  // seconds since the epoch, when the run began
  std::vector<JournalEntry> entries;
};

// The first line of an index.
std::string JournalHeader(int64_t runTime);
// One entry's line.
std::string JournalLine(const JournalEntry& entry);
// The index a text holds; nothing when it is not one. A last line cut short (a
// run killed while appending it) is left out.
std::optional<JournalIndex> ParseJournal(std::string_view text);

}  // namespace kadrel
