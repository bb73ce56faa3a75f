#include "io/streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kadrel {

namespace {

constexpr size_t kPiece = size_t{1} << 16;

// Hands each piece of in to use(bytes) until the end; false on a read failure or
// when use returns false.
template <typename UseFn>
bool EachPiece(InputFile& in, UseFn&& use) {
  char buffer[kPiece];
  for (;;) {
    const long n = in.read(buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0 || !use(std::string_view(buffer, static_cast<size_t>(n)))) return false;
  }
}

class Memory : public InputFile {
 public:
  explicit Memory(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}
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

class CancellableInput : public InputFile {
 public:
  CancellableInput(std::unique_ptr<InputFile> file, const std::atomic<bool>& cancel)
      : file_(std::move(file)), cancel_(cancel) {}
  long read(char* buffer, size_t n) override {
    if (cancel_.load()) {
      cancelled_ = true;
      return -1;
    }
    return file_->read(buffer, n);
  }
  FileStatus lastError() const override {
    return cancelled_ ? StatusFromErrno(ECANCELED) : file_->lastError();
  }

 private:
  std::unique_ptr<InputFile> file_;
  const std::atomic<bool>& cancel_;
  bool cancelled_ = false;
};

}  // namespace

bool ReadAll(InputFile& in, std::string& bytes, size_t sizeHint) {
  bytes.clear();
  bytes.reserve(sizeHint);
  return EachPiece(in, [&](std::string_view piece) {
    bytes.append(piece);
    return true;
  });
}

bool ReadAll(Opened<InputFile> in, std::string& bytes, size_t sizeHint) {
  bytes.clear();
  return in && ReadAll(*in.file, bytes, sizeHint);
}

CopyResult CopyAll(InputFile& in, OutputFile& out) {
  bool writeFailed = false;
  const bool copied = EachPiece(in, [&](std::string_view piece) {
    writeFailed = !out.write(piece.data(), piece.size());
    return !writeFailed;
  });
  if (!copied) return writeFailed ? CopyResult::WriteFailed : CopyResult::ReadFailed;
  return out.close() ? CopyResult::Copied : CopyResult::WriteFailed;
}

Comparison CompareAll(InputFile& a, InputFile& b) {
  std::string other;
  bool failed = false;
  const auto readOther = [&](size_t n) {
    other.resize(n);
    size_t got = 0;
    while (got < n) {
      const long read = b.read(other.data() + got, n - got);
      if (read <= 0) {
        failed = read < 0;
        break;
      }
      got += static_cast<size_t>(read);
    }
    other.resize(got);
  };
  bool differ = false;
  const bool read = EachPiece(a, [&](std::string_view piece) {
    readOther(piece.size());
    differ = !failed && other != piece;
    return !failed && !differ;
  });
  if (failed || (!read && !differ)) return Comparison::Failed;
  if (differ) return Comparison::Different;
  char extra;
  const long more = b.read(&extra, 1);
  if (more < 0) return Comparison::Failed;
  return more == 0 ? Comparison::Same : Comparison::Different;
}

bool HashAll(Opened<InputFile> in, ContentHash& hash) {
  return in && EachPiece(*in.file, [&](std::string_view piece) {
           hash.add(piece);
           return true;
         });
}

std::unique_ptr<InputFile> Cancellable(std::unique_ptr<InputFile> in,
                                       const std::atomic<bool>& cancel) {
  return std::make_unique<CancellableInput>(std::move(in), cancel);
}

std::unique_ptr<InputFile> MemoryInput(std::shared_ptr<const std::string> bytes) {
  return std::make_unique<Memory>(std::move(bytes));
}

std::unique_ptr<InputFile> MemoryInput(std::string bytes) {
  return MemoryInput(std::make_shared<const std::string>(std::move(bytes)));
}

}  // namespace kadrel
