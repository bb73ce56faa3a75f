// Names derived from a target's path: backup copies, extraction results and the
// COMBO!! work file. "/" is the separator.
#pragma once

#include <string>

namespace kadrel {

struct RunContext;
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

// The derived path of a kind: "BK"/"Bk"/"bk" the backup copy, "SEL"/"Sel"/"sel"
// the extraction result, any other kind the work file in the program's folder.
std::string MakeOutName(const RunContext& ctx, const std::string& path, const std::string& kind);

}  // namespace kadrel
