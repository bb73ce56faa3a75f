// The index of the undo journal: when the last run was made, what it did and the
// folders it was given, and for each target it replaced, how its previous
// content is kept and what the run wrote there. A text file: a header line, the
// folders, then one line per target, appended as the run replaces them; a
// journal that could no longer record says so in a line of its own, and names
// the files replaced after it as far as it can.
//
//   Kadrel undo journal 2 <run time>[ <description>]
//   drop <folder>                                      (each folder the run was given)
//   <link|copy|none> <number> <device> <inode> <kept size> <kept mtime ns>
//       <kept links> <written size> <written hash, hex> <written device>
//       <written inode> <path>
//   gap                                                (recording stopped here)
//   more <count>                                       (files replaced but not named)
//
// Texts are escaped (bytes that are no graphic ASCII, and "%", as %XX). Version 1
// (no folders, no kept links, no written file, no gap) is read as well; a header
// without a description reads as one with an empty description.
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
  None,  // not kept: its copy would take the journal past its limit, or the
         // journal could no longer record
};

struct JournalEntry {
  Kept kept = Kept::None;
  uint64_t number = 0;  // the kept file's name in the journal folder
  FileId previous;      // the replaced file
  // The kept file as it was kept: changed since (through another of its names),
  // it is no longer what the file held.
  uint64_t keptSize = 0;
  int64_t keptModified = 0;  // nanoseconds since the epoch
  // Its names then, the journal's own among them (0: not recorded). A name added
  // since (a backup copy made by a hard link) shares the very file.
  uint64_t keptLinks = 0;
  uint64_t writtenSize = 0;  // what the run wrote
  uint64_t writtenHash = 0;
  FileId written;    // the file the run wrote ({}: not recorded)
  std::string path;  // the file replaced, as its folder holds it (links resolved)
  bool operator==(const JournalEntry&) const = default;
};

struct JournalIndex {
  int64_t runTime = 0;      // seconds since the epoch, when the run began
  std::string description;  // what the run did, its lines ended by "\n"; may be empty
  // The folders the run was given (links resolved, each ending in "/"): no entry
  // points outside them. Empty in a journal of an earlier version.
  std::vector<std::string> dropFolders;
  std::vector<JournalEntry> entries;
  // The journal stopped recording: the entries after that hold no previous
  // content, and unnamed files more were replaced than it could name.
  bool gap = false;
  uint64_t unnamed = 0;
};

// The lines of an index: its header (with the run's folders), an entry, the
// line that says recording stopped, and the count of files left unnamed.
std::string JournalHeader(int64_t runTime, std::string_view description,
                          const std::vector<std::string>& dropFolders = {});
std::string JournalLine(const JournalEntry& entry);
std::string JournalGapLine();
std::string JournalUnnamedLine(uint64_t count);
// The index a text holds; nothing when it is not one. A last line cut short (a
// run killed while appending it) is left out.
std::optional<JournalIndex> ParseJournal(std::string_view text);

// True when path lies in one of the index's folders (always, for a journal that
// names none).
bool InDrop(const JournalIndex& index, const std::string& path);
bool InDrop(const std::vector<std::string>& dropFolders, const std::string& path);

}  // namespace kadrel
