#include "run/preview/memory_files.h"

#include <algorithm>
#include <cstring>

#include "io/utf16_files.h"

namespace kadrel {

namespace {

class Input : public InputFile {
 public:
  explicit Input(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}
  long read(char* buffer, size_t n) override {
    const size_t count = std::min(n, bytes_->size() - pos_);
    std::memcpy(buffer, bytes_->data() + pos_, count);
    pos_ += count;
    return static_cast<long>(count);
  }
  FileStatus lastError() const override { return {}; }

 private:
  std::shared_ptr<const std::string> bytes_;
  size_t pos_ = 0;
};

}  // namespace

std::unique_ptr<InputFile> MemoryInput(std::shared_ptr<const std::string> bytes) {
  return std::make_unique<Input>(std::move(bytes));
}

std::string TextOfBytes(std::string bytes, const FileEncoding& encoding) {
  if (!encoding.utf16) return bytes;
  std::unique_ptr<InputFile> in = Utf16AsUtf8(
      MemoryInput(std::make_shared<const std::string>(std::move(bytes))), encoding.bigEndian);
  std::string text;
  char buffer[65536];
  for (long n; (n = in->read(buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<size_t>(n));
  return text;
}

}  // namespace kadrel
