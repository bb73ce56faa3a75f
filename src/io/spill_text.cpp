#include "io/spill_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kadrel {

namespace {

// Appends to the file gather up to this before they are written.
constexpr size_t kWritePiece = size_t{1} << 20;

// An unnamed file in the folder of temporary files; -1 when none can be made.
int OpenUnnamedFile() {
  const char* env = std::getenv("TMPDIR");
  const std::string folder = env != nullptr && *env != '\0' ? env : "/tmp";
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  // A file system without unnamed files: a name taken and given up at once.
  std::string name = folder + "/kadrel-XXXXXX";
  const int named = ::mkostemp(name.data(), O_CLOEXEC);
  if (named >= 0) ::unlink(name.c_str());
  return named;
}

bool WriteAllAt(int fd, const char* data, size_t n, uint64_t offset) {
  while (n > 0) {
    const ssize_t w = ::pwrite(fd, data, n, static_cast<off_t>(offset));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    data += w;
    n -= static_cast<size_t>(w);
    offset += static_cast<uint64_t>(w);
  }
  return true;
}

}  // namespace

class SpillFile {
 public:
  explicit SpillFile(int f) : fd(f) {}
  SpillFile(const SpillFile&) = delete;
  SpillFile& operator=(const SpillFile&) = delete;
  ~SpillFile() { ::close(fd); }
  const int fd;
  uint64_t generation = 0;  // changed by every truncation: readers of before fail
};

namespace {

class MemoryReader : public InputFile {
 public:
  MemoryReader(std::shared_ptr<const std::string> bytes, uint64_t offset, uint64_t end)
      : bytes_(std::move(bytes)), at_(offset), end_(end) {}
  long read(char* buffer, size_t n) override {
    const uint64_t end = std::min<uint64_t>(end_, bytes_->size());
    const size_t count = static_cast<size_t>(std::min<uint64_t>(n, end > at_ ? end - at_ : 0));
    std::memcpy(buffer, bytes_->data() + at_, count);
    at_ += count;
    return static_cast<long>(count);
  }
  FileStatus lastError() const override { return {}; }

 private:
  std::shared_ptr<const std::string> bytes_;
  uint64_t at_, end_;
};

class FileReader : public InputFile {
 public:
  FileReader(std::shared_ptr<SpillFile> spill, uint64_t offset, uint64_t end)
      : spill_(std::move(spill)), generation_(spill_->generation), at_(offset), end_(end) {}
  long read(char* buffer, size_t n) override {
    if (spill_->generation != generation_) return fail(ESTALE);
    n = static_cast<size_t>(std::min<uint64_t>(n, end_ - at_));
    if (n == 0) return 0;
    ssize_t r;
    do {
      r = ::pread(spill_->fd, buffer, n, static_cast<off_t>(at_));
    } while (r < 0 && errno == EINTR);
    if (r < 0) return fail(errno);
    at_ += static_cast<uint64_t>(r);
    return static_cast<long>(r);
  }
  FileStatus lastError() const override { return error_; }

 private:
  long fail(int error) {
    error_ = StatusFromErrno(error);
    return -1;
  }
  std::shared_ptr<SpillFile> spill_;
  uint64_t generation_, at_, end_;
  FileStatus error_;
};

}  // namespace

SpillText::SpillText(size_t memoryLimit) : memoryLimit_(memoryLimit) {}

SpillText::~SpillText() = default;

void SpillText::append(std::string_view bytes) {
  if (file_ == nullptr && !spillFailed_ && memory_->size() + bytes.size() > memoryLimit_) spill();
  if (file_ != nullptr) {
    // Small appends gather before they are written.
    pending_.append(bytes);
    size_ += bytes.size();
    if (pending_.size() >= kWritePiece) writePending();
    return;
  }
  memory_->append(bytes);
  size_ += bytes.size();
}

void SpillText::writePending() {
  if (pending_.empty() || file_ == nullptr) return;
  const uint64_t at = size_ - pending_.size();
  if (WriteAllAt(file_->fd, pending_.data(), pending_.size(), at)) {
    pending_.clear();
    return;
  }
  // The file is full: what it holds comes back to memory with the rest.
  {
    auto back = std::make_shared<std::string>();
    back->resize(static_cast<size_t>(at));
    FileReader reader(file_, 0, at);
    size_t got = 0;
    while (got < back->size()) {
      const long r = reader.read(back->data() + got, back->size() - got);
      if (r <= 0) break;
      got += static_cast<size_t>(r);
    }
    back->resize(got);
    back->append(pending_);
    pending_.clear();
    memory_ = std::move(back);
    size_ = memory_->size();
    file_.reset();
    spillFailed_ = true;
  }
}

void SpillText::spill() {
  const int fd = OpenUnnamedFile();
  if (fd < 0) {
    spillFailed_ = true;
    return;
  }
  auto file = std::make_shared<SpillFile>(fd);
  if (!WriteAllAt(fd, memory_->data(), memory_->size(), 0)) {
    spillFailed_ = true;
    return;
  }
  file_ = std::move(file);
  // Readers of the memory keep theirs; the holder starts afresh.
  memory_ = std::make_shared<std::string>();
}

void SpillText::truncate(uint64_t size) {
  if (size >= size_) return;
  writePending();
  size_ = size;
  if (file_ == nullptr) {
    memory_->resize(static_cast<size_t>(size));
    return;
  }
  ++file_->generation;
  // Should the file keep the bytes past size, size_ alone tells where it ends.
  [[maybe_unused]] const int kept = ::ftruncate(file_->fd, static_cast<off_t>(size));
}

std::unique_ptr<InputFile> SpillText::read(uint64_t offset) {
  writePending();
  offset = std::min(offset, size_);
  if (file_ != nullptr) return std::make_unique<FileReader>(file_, offset, size_);
  return std::make_unique<MemoryReader>(memory_, offset, size_);
}

}  // namespace kadrel
