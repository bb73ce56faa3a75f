// The file layer of a preview: reads go to the real file layer, every write stays
// in memory. Nothing reaches the disk: no replacement, backup copy, result file
// or temporary, and no leftover of a killed run is removed. When the run would
// give a file its name, the sink is told what that file would hold.
#pragma once

#include <cerrno>
#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "io/file_encoding.h"
#include "io/file_layer.h"
#include "run/preview/preview_run.h"

namespace kadrel {

class HeldContent;

class PreviewFiles : public FileLayer {
 public:
  // codePage: the run's code page option, which tells how the files' bytes are
  // shown.
  PreviewFiles(FileLayer& real, PreviewSink& sink, CodePageSetting codePage)
      : real_(real), sink_(sink), codePage_(std::move(codePage)) {}

  Opened<InputFile> openRead(const std::string& path) override;
  Opened<InputFile> openReadBounded(const std::string& path, size_t maxBytes) override;
  Opened<TargetFile> openTarget(const DropPath& name, bool forWriting,
                                const std::set<FileId>& done) override;
  Opened<NewFile> createReplacement(TargetFile& target) override;
  Opened<NewFile> createFile(const DropPath& name, const FileAttributes* source) override;
  FileStatus checkNewName(const DropPath& name) override;
  FileStatus keepCopy(TargetFile& target, const DropPath& name) override;
  FileStatus restoreKept(TargetFile&, const std::string&) override {
    return StatusFromErrno(EROFS);
  }
  void removeLeftovers(const DropPath& folder) override;
  FileStatus removeFile(const std::string& path) override;
  bool exists(const std::string& path) override;

 private:
  // What the run would leave at path (a target's new content, or a new file),
  // compared with what is there and handed to the sink.
  void committed(const std::string& path, TargetFile* target, HeldContent& content);

  FileLayer& real_;
  PreviewSink& sink_;
  CodePageSetting codePage_;
  uint64_t nextId_ = 0;
};

}  // namespace kadrel
