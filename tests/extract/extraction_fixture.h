// A run context in a temporary folder for the extraction engines, with a file
// layer that can fail reads or writes after a number of bytes, and helpers that
// open and close the files around an engine call as the run driver does.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/file_layer.h"
#include "core/run_context.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"

namespace kadrel::test {

// The real file system, with an input that fails after failReadAfter bytes and an
// output that fails once more than failWriteAfter bytes would be written (-1: never).
class FaultyFiles : public FileLayer {
 public:
  long failReadAfter = -1;
  long failWriteAfter = -1;

  std::unique_ptr<InputFile> openRead(const std::string& path, FileStatus& status) override;
  std::unique_ptr<OutputFile> openWrite(const std::string& path, bool append,
                                        FileStatus& status) override;
  FileStatus copyFile(const std::string& source, const std::string& destination) override {
    return SystemFileLayer().copyFile(source, destination);
  }
  FileStatus removeFile(const std::string& path) override {
    return SystemFileLayer().removeFile(path);
  }
  bool exists(const std::string& path) override { return SystemFileLayer().exists(path); }
  bool isFolder(const std::string& path) override { return SystemFileLayer().isFolder(path); }
};

// Lines joined, each followed by CR LF.
std::string CrLf(const std::vector<std::string>& lines);

class ExtractionTest : public ::testing::Test {
 protected:
  ExtractionTest();

  // Writes inputBytes to a target file "name", runs engine over it into the result
  // file as the driver does for one listed file, and returns the result's bytes.
  std::string extract(const std::string& inputBytes, const std::function<void()>& engine,
                      const std::string& name = "in.txt");

  // The joint result file of several targets: created empty, then every target
  // appended to it in list order.
  std::string extractJoint(const std::vector<std::string>& inputs,
                           const std::function<void()>& engine);

  // The box titles and texts shown, "title|text" each.
  std::vector<std::string> boxes() const;

  FakeHost host;
  FaultyFiles files;
  RunContext ctx{host, files};
  TempDir dir;
};

}  // namespace kadrel::test
