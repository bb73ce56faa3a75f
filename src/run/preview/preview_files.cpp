#include "run/preview/preview_files.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "io/spill_text.h"
#include "io/streams.h"
#include "io/text_source.h"
#include "io/utf16_files.h"
#include "run/preview/file_diff.h"
#include "run/preview/stream_diff.h"

namespace kadrel {

namespace {

// The new content of a file held in memory up to this; the rest in a temporary
// file of its own.
constexpr size_t kHeldInMemory = size_t{8} << 20;

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

// The first bytes of a file, then its end.
class PrefixInput : public InputFile {
 public:
  PrefixInput(std::unique_ptr<InputFile> file, uint64_t size)
      : file_(std::move(file)), left_(size) {}
  long read(char* buffer, size_t n) override {
    const long r = file_->read(buffer, static_cast<size_t>(std::min<uint64_t>(n, left_)));
    if (r > 0) left_ -= static_cast<uint64_t>(r);
    return r;
  }
  FileStatus lastError() const override { return file_->lastError(); }

 private:
  std::unique_ptr<InputFile> file_;
  uint64_t left_;
};

}  // namespace

// What a new file of the preview holds. A target's replacement is compared with
// the target as it is written, and held only from its first difference on (in
// memory up to a bound, beyond it in a temporary file): a file the run leaves as
// it was costs no memory and no second read.
class HeldContent {
 public:
  explicit HeldContent(TargetFile* original) : original_(original), held_(original == nullptr) {
    if (original_ != nullptr) reader_ = original_->read().file;
  }

  void append(const char* data, size_t n) {
    if (!held_) {
      if (sameAsOriginal(data, n)) {
        equal_ += n;
        return;
      }
      hold();
    }
    bytes_.append({data, n});
  }
  uint64_t size() const { return held_ ? bytes_.size() : equal_; }
  void truncate(uint64_t size) {
    if (!held_ && size >= equal_) return;
    hold();
    bytes_.truncate(size);
  }
  Opened<InputFile> read() {
    if (held_) return {bytes_.read(), {}};
    Opened<InputFile> original = original_->read();
    if (original) original.file = std::make_unique<PrefixInput>(std::move(original.file), equal_);
    return original;
  }
  // True when the file holds exactly the original's bytes.
  bool unchanged() {
    char byte;
    return !held_ && reader_ && reader_->read(&byte, 1) == 0;
  }

 private:
  bool sameAsOriginal(const char* data, size_t n) {
    if (!reader_) return false;
    buffer_.resize(n);
    size_t got = 0;
    while (got < n) {
      const long r = reader_->read(buffer_.data() + got, n - got);
      if (r <= 0) return false;
      got += static_cast<size_t>(r);
    }
    return std::memcmp(buffer_.data(), data, n) == 0;
  }
  void hold() {
    if (held_) return;
    reader_.reset();
    if (equal_ > 0) {  // the bytes the run wrote as they were
      Opened<InputFile> prefix = read();
      std::vector<char> piece(size_t{1} << 16);
      for (long r; prefix && (r = prefix.file->read(piece.data(), piece.size())) > 0;)
        bytes_.append({piece.data(), static_cast<size_t>(r)});
    }
    held_ = true;
  }

  TargetFile* original_;
  bool held_;
  std::unique_ptr<InputFile> reader_;
  uint64_t equal_ = 0;
  std::vector<char> buffer_;
  SpillText bytes_{kHeldInMemory};
};

namespace {

class HeldOutput : public OutputFile {
 public:
  explicit HeldOutput(std::shared_ptr<HeldContent> content) : content_(std::move(content)) {}
  bool write(const char* data, size_t n) override {
    content_->append(data, n);
    return true;
  }
  bool close() override { return true; }
  FileStatus lastError() const override { return {}; }

 private:
  std::shared_ptr<HeldContent> content_;
};

// A new file held in memory; its commit hands the content on.
class MemoryNewFile : public NewFile {
 public:
  MemoryNewFile(FileId id, TargetFile* original, std::function<void(HeldContent&)> onCommit)
      : id_(id),
        content_(std::make_shared<HeldContent>(original)),
        onCommit_(std::move(onCommit)) {}
  std::unique_ptr<OutputFile> output() override { return std::make_unique<HeldOutput>(content_); }
  Opened<InputFile> read() override { return content_->read(); }
  uint64_t size() const override { return content_->size(); }
  FileStatus truncate(uint64_t size) override {
    content_->truncate(size);
    return {};
  }
  void narrowTo(const FileAttributes&) override {}
  FileStatus complete() override { return {}; }
  FileStatus commit() override {
    onCommit_(*content_);
    return {};
  }
  FileId id() const override { return id_; }

 private:
  FileId id_;
  std::shared_ptr<HeldContent> content_;
  std::function<void(HeldContent&)> onCommit_;
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
  return {std::make_unique<MemoryNewFile>(id, &target,
                                          [this, path, &target](HeldContent& content) {
                                            if (!content.unchanged())
                                              committed(path, &target, content);
                                          }),
          {}};
}

Opened<NewFile> PreviewFiles::createFile(const DropPath& name, const FileAttributes*) {
  if (FileStatus status = real_.checkNewName(name); !status.ok()) return {nullptr, status};
  const FileId id{std::numeric_limits<uint64_t>::max(), nextId_++};
  const std::string path = name.path;
  return {
      std::make_unique<MemoryNewFile>(
          id, nullptr, [this, path](HeldContent& content) { committed(path, nullptr, content); }),
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

void PreviewFiles::committed(const std::string& path, TargetFile* target, HeldContent& content) {
  auto before = [&]() -> Opened<InputFile> {
    return target != nullptr ? target->read() : Opened<InputFile>{MemoryInput(std::string()), {}};
  };
  // How the run read the file: guessed again from the same bytes.
  const FileEncoding encoding =
      TextSource::Open(target != nullptr ? target->read() : content.read(), codePage_).encoding();
  // The texts compared: a UTF-16 file's as UTF-8, as the run reads it.
  auto text = [&](Opened<InputFile> in) {
    if (in && encoding.utf16) in.file = Utf16AsUtf8(std::move(in.file), encoding.bigEndian);
    return in;
  };
  Opened<InputFile> oldText = text(before()), newText = text(content.read());
  HunkGrouper hunks({path, target == nullptr, encoding.codePage}, sink_);
  const bool whole = oldText && newText && DiffStreams(*oldText.file, *newText.file, hunks);
  if (whole && !hunks.started() && encoding.utf16) {
    // The same lines from other bytes (a byte order mark, say): a change all the same.
    Opened<InputFile> a = before(), b = content.read();
    if (a && b && CompareAll(*a.file, *b.file) == Comparison::Different) hunks.startFile();
  }
  hunks.finish(!whole);
}

}  // namespace kadrel
