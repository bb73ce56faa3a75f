// An extraction engine over a target file in a temporary folder into its result
// file, through the engine interface alone, on a file layer that can be told to
// fail.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "core/engine_io.h"
#include "support/fake_files.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"
#include "text/code_page.h"

namespace kadrel::test {

// Lines joined, each followed by CR LF.
std::string CrLf(const std::vector<std::string>& lines);

class ExtractionTest : public ::testing::Test {
 protected:
  using Engine = std::function<void(EngineIo&)>;

  // Writes inputBytes to a target file "name", runs engine over it into the result
  // file "name_SEL", and returns the result's bytes.
  std::string extract(const std::string& inputBytes, const Engine& engine,
                      const std::string& name = "in.txt");

  // The joint result file of several targets: created empty, then every target
  // appended to it in list order.
  std::string extractJoint(const std::vector<std::string>& inputs, const Engine& engine);

  // The box titles and texts shown, "title|text" each.
  std::vector<std::string> boxes() const;

  FakeHost host;
  FakeFiles files;
  TempDir dir;
  EngineOptions options;
  CodePage codePage = CodePage::UTF8;
  size_t bufferSize = size_t{1} << 20;
  std::atomic<bool> cancel{false};

  // Of the last engine call: the files read and written, whether it failed.
  std::string targetPath, resultPath;
  std::vector<std::string> targetPaths;  // of extractJoint, in order
  bool failed = false;

 private:
  void runEngine(Opened<InputFile> input, NewFile& output, const Engine& engine);
};

}  // namespace kadrel::test
