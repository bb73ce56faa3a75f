// The file layer of a preview: reads go to the real file layer, every write stays
// in memory. A file the run writes, copies or removes is seen so by the run's
// later reads, and nothing reaches the disk.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "core/file_layer.h"
#include "run/preview/preview_run.h"

namespace kadrel {

class PreviewFiles : public FileLayer {
 public:
  PreviewFiles(FileLayer& real, PreviewSink& sink) : real_(real), sink_(sink) {}

  Opened<InputFile> openRead(const std::string& path) override;
  Opened<OutputFile> openWrite(const std::string& path, bool append) override;
  FileStatus copyFile(const std::string& source, const std::string& destination) override;
  FileStatus removeFile(const std::string& path) override;
  bool exists(const std::string& path) override;
  bool isFolder(const std::string& path) override;

  // Tells the sink what the run left: each listed target whose content differs
  // from the file's, and each file the run created (a result file).
  void report(const RunContext& ctx);

 private:
  // A path as the run left it: its bytes, a copy of a real file, or removed.
  struct Entry {
    std::shared_ptr<std::string> bytes;  // null: as the real file at copyOf
    std::string copyOf;                  // empty with no bytes: removed
  };
  // The entry of path, if the run wrote there.
  const Entry* find(const std::string& path) const;
  Opened<InputFile> readEntry(const std::string& path);
  // The bytes a path holds now, or nothing when it cannot be read.
  bool contentOf(const std::string& path, std::string& bytes);

  FileLayer& real_;
  PreviewSink& sink_;
  std::map<std::string, Entry> written_;
};

}  // namespace kadrel
