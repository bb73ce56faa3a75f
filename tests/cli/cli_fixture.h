// A folder of test files and the built kadrel-cli run over them, with its own
// settings file so that no Kadrel.ini beside the program plays a part.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_process.h"
#include "support/temp_dir.h"

namespace kadrel::test {

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(work.file("files"));
    WriteFile(iniPath(), "");
  }

  std::string iniPath() const { return work.file("Kadrel.ini"); }
  std::string files() const { return work.file("files"); }
  std::string at(const std::string& name) const { return files() + "/" + name; }

  std::string make(const std::string& name, const std::string& content) {
    const std::string path = at(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFile(path, content);
    return path;
  }

  // kadrel-cli --ini <own settings> -q args..., run in the files folder.
  CliResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--ini", iniPath(), "-q"});
    return RunCli(args, files(), work.path());
  }

  TempDir work;
};

}  // namespace kadrel::test
