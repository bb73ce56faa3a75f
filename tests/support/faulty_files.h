// A file layer that behaves like the real one until told to fail: reads or writes
// of a chosen file after some bytes, its close (a full disk found at flush), or a
// copy onto a chosen destination.
#pragma once

#include <string>

#include "core/file_layer.h"

namespace kadrel::test {

class FaultyFileLayer : public FileLayer {
 public:
  // A path is chosen by its ending ("" never matches).
  std::string failReadOf;
  long readFailsAfter = 0;  // bytes handed out before the read fails
  std::string failWriteOf;
  long writeFailsAfter = 0;  // bytes accepted before a write fails
  std::string failCloseOf;   // the close of this output fails (disk full)
  std::string failCopyTo;    // copies onto this destination fail
  std::string failOpenWriteOf;

  Opened<InputFile> openRead(const std::string& path) override;
  Opened<OutputFile> openWrite(const std::string& path, bool append) override;
  FileStatus copyFile(const std::string& source, const std::string& destination) override;
  FileStatus removeFile(const std::string& path) override;
  bool exists(const std::string& path) override;
  bool isFolder(const std::string& path) override;
};

bool EndsWith(const std::string& s, const std::string& suffix);

}  // namespace kadrel::test
