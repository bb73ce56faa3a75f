// What the fuzz targets share: a check that stops the run with a message, files
// held in memory (reads handed out in small pieces, so that line ends fall across
// read boundaries), and a host that answers boxes from the fuzz input.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "core/file_layer.h"
#include "core/host.h"

namespace kadrel::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
  std::abort();
}

#define FUZZ_REQUIRE(cond) ((cond) ? (void)0 : ::kadrel::fuzz::Fail(#cond, __FILE__, __LINE__))

class MemoryInput : public InputFile {
 public:
  MemoryInput(std::string_view bytes, size_t piece)
      : bytes_(bytes), piece_(std::max<size_t>(piece, 1)) {}
  long read(char* buffer, size_t n) override {
    n = std::min({n, piece_, bytes_.size() - pos_});
    std::copy_n(bytes_.data() + pos_, n, buffer);
    pos_ += n;
    return static_cast<long>(n);
  }
  FileStatus lastError() const override { return {}; }

 private:
  std::string_view bytes_;
  size_t piece_;
  size_t pos_ = 0;
};

class MemoryOutput : public OutputFile {
 public:
  explicit MemoryOutput(std::string& target) : target_(target) {}
  bool write(const char* data, size_t n) override {
    target_.append(data, n);
    return true;
  }
  bool close() override { return true; }
  FileStatus lastError() const override { return {}; }

 private:
  std::string& target_;
};

// A file system of a few files in memory.
class MemoryFiles : public FileLayer {
 public:
  std::map<std::string, std::string> files;
  size_t piece = 4096;  // bytes handed out per read

  Opened<InputFile> openRead(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end()) return {nullptr, StatusFromErrno(2)};
    return {std::make_unique<MemoryInput>(it->second, piece), {}};
  }
  Opened<OutputFile> openWrite(const std::string& path, bool append) override {
    std::string& f = files[path];
    if (!append) f.clear();
    return {std::make_unique<MemoryOutput>(f), {}};
  }
  FileStatus copyFile(const std::string& source, const std::string& destination) override {
    auto it = files.find(source);
    if (it == files.end()) return StatusFromErrno(2);
    files[destination] = it->second;
    return {};
  }
  FileStatus removeFile(const std::string& path) override {
    return files.erase(path) ? FileStatus{} : StatusFromErrno(2);
  }
  bool exists(const std::string& path) override { return files.count(path) != 0; }
  bool isFolder(const std::string&) override { return false; }
};

// Answers OK/Cancel boxes from the bits of a number, the lowest first (1 = Cancel);
// OK-only boxes get OK. Counts the boxes shown.
class BitsHost : public Host {
 public:
  explicit BitsHost(uint64_t bits = 0) : bits_(bits) {}
  BoxAnswer showMessage(const MessageBoxRequest& request) override {
    ++shown;
    FUZZ_REQUIRE(!request.text.empty());
    if (request.buttons != BoxButtons::OkCancel) return BoxAnswer::Ok;
    const bool cancel = bits_ & 1;
    bits_ >>= 1;
    if (cancel) ++cancelled;
    return cancel ? BoxAnswer::Cancel : BoxAnswer::Ok;
  }
  void yield() override {}
  void setProgress(const RunProgress&) override {}
  void selectTarget(int) override {}

  int shown = 0;
  int cancelled = 0;

 private:
  uint64_t bits_;
};

}  // namespace kadrel::fuzz
