#include "core/file_naming.h"

#include <sys/stat.h>

#include "core/run_options.h"
#include "text/strings.h"

namespace kadrel {

namespace {
bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}
}  // namespace

void FNameEdit::cFNameEdit() {
  ifaDirName.clear();
  ifaFileName.clear();
  ifaFileSts1.clear();
  ifaFileSts2.clear();
  // Blanks around a path are dropped, unless the path exists as given: a name
  // may really begin or end with a blank here.
  std::string s = Exists(ifaFullPath) ? ifaFullPath : TrimSpaces(ifaFullPath);
  if (s.empty()) return;
  // A trailing separator after something that does not exist is dropped.
  while (!Exists(s) && s.size() > 1 && s.back() == '/') s.pop_back();
  if (IsFolder(s) && s.back() != '/') s += '/';
  if (s.back() == '/') {
    ifaDirName = s;
    return;
  }
  size_t slash = s.rfind('/');
  if (slash != std::string::npos) {
    ifaDirName = s.substr(0, slash + 1);
    ifaFileName = s.substr(slash + 1);
  } else {
    ifaFileName = s;
  }
  size_t dot = ifaFileName.find('.');
  if (dot != std::string::npos) {
    ifaFileSts1 = ifaFileName.substr(0, dot);
    ifaFileSts2 = ifaFileName.substr(dot);
  } else {
    ifaFileSts1 = ifaFileName;
  }
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string AddPathSep(const std::string& folder) {
  if (!folder.empty() && folder.back() == '/') return folder;
  return folder + "/";
}

std::string MakeOutName(const RunOptions& options, const std::string& path, OutName kind) {
  FNameEdit name;
  name.ifaFullPath = path;
  name.cFNameEdit();
  const std::string base = name.ifaFileSts1 + name.ifaFileSts2;
  if (kind == OutName::Backup) return name.ifaDirName + options.FstChrBk + base + options.LstChrBk;
  return name.ifaDirName + options.FstChr + base + options.LstChr;
}

}  // namespace kadrel
