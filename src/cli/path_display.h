// Paths as the user gave them. A run works on full paths (a drop always gives
// them), but what kadrel-cli prints names a file the way its PATH was typed:
// "notes/a.txt" for a PATH of notes/, "./a.txt" for ".", "/srv/a.txt" for
// "/srv/". Each relative PATH maps the folder it stands for back to its typed
// form; a path under no such folder is printed as it is.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kadrel::cli {

class PathDisplay {
 public:
  PathDisplay() = default;
  // given: the PATHs as typed; cwd: the working folder they are relative to.
  PathDisplay(const std::vector<std::string>& given, const std::string& cwd);

  // A full path as the user would name it.
  std::string path(const std::string& fullPath) const;

  // text (a box, a diff header) with every full path in it that begins at the
  // start of the text, after a blank, "[", a quote or a bracket, shown as the
  // user would name it.
  std::string text(const std::string& text) const;

 private:
  // Full folder (ending in "/") and its typed form ("" for a file named alone),
  // longest full folder first.
  std::vector<std::pair<std::string, std::string>> folders_;
};

}  // namespace kadrel::cli
