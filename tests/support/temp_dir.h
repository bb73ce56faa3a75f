// A temporary folder for one test, removed with everything in it afterwards,
// with helpers to write and read whole files as bytes.
#pragma once

#include <string>

namespace kadrel::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }  // ends without "/"
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// How many of Kadrel's temporary files a folder holds.
int TemporariesIn(const std::string& folder);

}  // namespace kadrel::test
