// Names derived from a target's path: backup copies and extraction results. "/"
// is the separator.
#pragma once

#include <string>

namespace kadrel {

struct RunOptions;

// Splits a path into folder, name, name before its first dot and the rest.
class FNameEdit {
 public:
  std::string ifaFullPath;  // input
  std::string ifaDirName;   // folder part, with its final "/"
  std::string ifaFileName;  // name part (after the last "/")
  std::string ifaFileSts1;  // name before its first "."
  std::string ifaFileSts2;  // name from its first "." on, the dot included

  void cFNameEdit();
};

// True when the path names an existing folder.
bool IsFolder(const std::string& path);

// A folder path with "/" appended when it does not already end in one.
std::string AddPathSep(const std::string& folder);

// The names derived from a path: the backup copy (FstChrBk, name, LstChrBk) and
// the extraction result (FstChr, name, LstChr), in the path's folder.
enum class OutName { Backup, Result };
std::string MakeOutName(const RunOptions& options, const std::string& path, OutName kind);

}  // namespace kadrel
