// The index of the undo journal: when the last run was made and what it did, and
// for each target it replaced, how its previous content is kept and what the run
// wrote there. A text file: a header line, then one line per target, appended as
// the run replaces them.
//
//   Kadrel undo journal 1 <run time>[ <description>]
//   <link|copy|none> <number> <device> <inode> <kept size> <kept mtime ns>
//       <written size> <written hash, hex> <path>
//
// The description and the path are escaped (bytes that are no graphic ASCII,
// and "%", as %XX); a header without a description (as runs made before it was
// recorded wrote it) reads as one with an empty description.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_layer.h"

namespace kadrel {

// How a replaced file's previous content is kept.
enum class Kept {
  Link,  // a hard link to the replaced file: nothing copied
  Copy,  // a copy (the journal is on another file system)
  None,  // not kept: its copy would take the journal past its limit
};

struct JournalEntry {
  Kept kept = Kept::None;
  uint64_t number = 0;  // the kept file's name in the journal folder
  FileId previous;      // the replaced file
  // The kept file as it was kept: changed since (through another of its names),
  // it is no longer what the file held.
  uint64_t keptSize = 0;
  int64_t keptModified = 0;  // nanoseconds since the epoch
  uint64_t writtenSize = 0;  // what the run wrote
  uint64_t writtenHash = 0;
  std::string path;  // the file replaced, as its folder holds it (links resolved)
  bool operator==(const JournalEntry&) const = default;
};

struct JournalIndex {
  int64_t runTime = 0;      // seconds since the epoch, when the run began
  std::string description;  // what the run did, its lines ended by "\n"; may be empty
  std::vector<JournalEntry> entries;
};

// The first line of an index.
std::string JournalHeader(int64_t runTime, std::string_view description = {});
// One entry's line.
std::string JournalLine(const JournalEntry& entry);
// The index a text holds; nothing when it is not one. A last line cut short (a
// run killed while appending it) is left out.
std::optional<JournalIndex> ParseJournal(std::string_view text);

}  // namespace kadrel
