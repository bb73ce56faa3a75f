#include "cli/path_display.h"

#include <algorithm>

#include "cli/targets.h"

namespace kadrel::cli {

namespace {

// Bytes after which a path may begin in a message: the start, a blank, an opening
// bracket or a quote ("[ /w/a.txt]", "「/w/a.txt」", "\"/w/a b.txt\"").
bool PathMayBeginAfter(const std::string& text, size_t pos) {
  if (pos == 0) return true;
  const char before = text[pos - 1];
  if (before == ' ' || before == '\t' || before == '\n' || before == '\r' || before == '[' ||
      before == '(' || before == '"' || before == '\'')
    return true;
  // 「 and （ end in these bytes in UTF-8 (E3 80 8C, EF BC 88).
  return (pos >= 3 && text.compare(pos - 3, 3, "「") == 0) ||
         (pos >= 3 && text.compare(pos - 3, 3, "（") == 0);
}

}  // namespace

PathDisplay::PathDisplay(const std::vector<std::string>& given, const std::string& cwd) {
  for (const std::string& path : given) {
    if (path.empty() || path.front() == '/' || path == "-") continue;
    const std::string full = AbsolutePath(path, cwd);
    if (full.empty() || full.front() != '/') continue;
    std::string fullFolder, typedFolder;
    if (full.back() == '/') {  // a folder as typed: ".", "notes/", "a/."
      fullFolder = full;
      typedFolder = path.back() == '/' ? path : path + "/";
    } else {
      // A file, or a folder named without "/": what lies beside it keeps the
      // typed folder, and what lies inside it continues the typed name.
      fullFolder = full.substr(0, full.rfind('/') + 1);
      const size_t slash = path.rfind('/');
      typedFolder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
      folders_.emplace_back(full + "/", path + "/");
    }
    folders_.emplace_back(fullFolder, typedFolder);
  }
  // Longest first, so that a path takes its nearest folder; the first typed form
  // given for a folder is the one shown.
  std::stable_sort(folders_.begin(), folders_.end(),
                   [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
}

std::string PathDisplay::path(const std::string& fullPath) const {
  for (const auto& [full, typed] : folders_) {
    if (fullPath.starts_with(full)) return typed + fullPath.substr(full.size());
  }
  return fullPath;
}

std::string PathDisplay::text(const std::string& text) const {
  if (folders_.empty()) return text;
  std::string out;
  size_t copied = 0;
  for (size_t slash = text.find('/'); slash != std::string::npos;
       slash = text.find('/', slash + 1)) {
    if (slash < copied || !PathMayBeginAfter(text, slash)) continue;
    for (const auto& [full, typed] : folders_) {
      if (text.compare(slash, full.size(), full) != 0) continue;
      out.append(text, copied, slash - copied);
      out += typed;
      copied = slash + full.size();
      break;
    }
  }
  out.append(text, copied, std::string::npos);
  return out;
}

}  // namespace kadrel::cli
