// A run context in a temporary folder for the extraction engines, on a file layer
// that can be told to fail, with helpers that open and close the files around an
// engine call as the run driver does.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "support/fake_files.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"

namespace kadrel::test {

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
  FakeFiles files;
  RunContext ctx{host, files};
  TempDir dir;
};

}  // namespace kadrel::test
