#include "run/preview/preview_files.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "run/preview/memory_files.h"

namespace kadrel {

namespace {

bool ReadAll(Opened<InputFile> opened, std::string& bytes) {
  bytes.clear();
  if (!opened) return false;
  char buffer[1 << 16];
  for (;;) {
    const long n = opened.file->read(buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) return false;
    bytes.append(buffer, static_cast<size_t>(n));
  }
}

// A target as the preview opened it: the real file, locked as a run locks it,
// and the name the run reached it by.
class PreviewTarget : public TargetFile {
 public:
  PreviewTarget(std::unique_ptr<TargetFile> real, std::string path)
      : real_(std::move(real)), path_(std::move(path)) {}
  FileId id() const override { return real_->id(); }
  const FileAttributes& attributes() const override { return real_->attributes(); }
  const std::string& folder() const override { return real_->folder(); }
  const std::string& name() const override { return real_->name(); }
  Opened<InputFile> read() override { return real_->read(); }
  const std::string& path() const { return path_; }

 private:
  std::unique_ptr<TargetFile> real_;
  std::string path_;
};

// A new file held in memory; its commit hands the bytes on.
class MemoryNewFile : public NewFile {
 public:
  MemoryNewFile(FileId id, std::function<void(const std::string&)> onCommit)
      : id_(id), onCommit_(std::move(onCommit)) {}
  std::unique_ptr<OutputFile> output() override { return MemoryOutput(bytes_); }
  Opened<InputFile> read() override { return {MemoryInput(bytes_), {}}; }
  uint64_t size() const override { return bytes_->size(); }
  FileStatus truncate(uint64_t size) override {
    bytes_->resize(std::min<uint64_t>(size, bytes_->size()));
    return {};
  }
  void narrowTo(const FileAttributes&) override {}
  FileStatus complete() override { return {}; }
  FileStatus commit() override {
    onCommit_(*bytes_);
    return {};
  }
  FileId id() const override { return id_; }

 private:
  FileId id_;
  std::function<void(const std::string&)> onCommit_;
  std::shared_ptr<std::string> bytes_ = std::make_shared<std::string>();
};

}  // namespace

Opened<InputFile> PreviewFiles::openRead(const std::string& path) {
  return real_.openRead(path);
}

Opened<InputFile> PreviewFiles::openReadBounded(const std::string& path, size_t maxBytes) {
  return real_.openReadBounded(path, maxBytes);
}

Opened<TargetFile> PreviewFiles::openTarget(const DropPath& name, bool forWriting,
                                            const std::set<FileId>& done) {
  Opened<TargetFile> real = real_.openTarget(name, forWriting, done);
  if (real) real.file = std::make_unique<PreviewTarget>(std::move(real.file), name.path);
  return real;
}

Opened<NewFile> PreviewFiles::createReplacement(TargetFile& target) {
  // Ids no real file has: a file reached again is still processed once.
  const FileId id{std::numeric_limits<uint64_t>::max(), nextId_++};
  auto* opened = dynamic_cast<PreviewTarget*>(&target);
  const std::string path = opened != nullptr ? opened->path() : std::string();
  return {
      std::make_unique<MemoryNewFile>(
          id, [this, path, &target](const std::string& bytes) { committed(path, &target, bytes); }),
      {}};
}

Opened<NewFile> PreviewFiles::createFile(const DropPath& name, const FileAttributes*) {
  if (FileStatus status = real_.checkNewName(name); !status.ok()) return {nullptr, status};
  const FileId id{std::numeric_limits<uint64_t>::max(), nextId_++};
  const std::string path = name.path;
  return {std::make_unique<MemoryNewFile>(
              id, [this, path](const std::string& bytes) { committed(path, nullptr, bytes); }),
          {}};
}

FileStatus PreviewFiles::checkNewName(const DropPath& name) {
  return real_.checkNewName(name);
}

FileStatus PreviewFiles::keepCopy(TargetFile&, const DropPath& name) {
  // The copy is not made; a name it could not take is refused as the run would.
  return real_.checkNewName(name);
}

void PreviewFiles::removeLeftovers(const DropPath&) {}

FileStatus PreviewFiles::removeFile(const std::string&) {
  return {};
}

bool PreviewFiles::exists(const std::string& path) {
  return real_.exists(path);
}

void PreviewFiles::committed(const std::string& path, TargetFile* target,
                             const std::string& bytes) {
  std::string before;
  if (target != nullptr) {
    if (!ReadAll(target->read(), before) || before == bytes) return;
  }
  const FileEncoding encoding =
      ReadEncoding(MemoryInput(std::make_shared<const std::string>(target ? before : bytes)),
                   codePage_)
          .encoding;
  const FileDiff diff(path, target == nullptr, encoding.codePage,
                      TextOfBytes(std::move(before), encoding), TextOfBytes(bytes, encoding));
  sink_.fileChanged(diff);
}

}  // namespace kadrel
