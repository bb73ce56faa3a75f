#include "io/file_encoding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "io/utf16_files.h"

namespace kadrel {

namespace {

class Prefixed : public InputFile {
 public:
  Prefixed(std::string head, std::unique_ptr<InputFile> in)
      : head_(std::move(head)), in_(std::move(in)) {}

  long read(char* buffer, size_t n) override {
    if (pos_ == head_.size()) return in_->read(buffer, n);
    const size_t count = std::min(n, head_.size() - pos_);
    std::memcpy(buffer, head_.data() + pos_, count);
    pos_ += count;
    return static_cast<long>(count);
  }
  FileStatus lastError() const override { return in_->lastError(); }

 private:
  std::string head_;
  size_t pos_ = 0;
  std::unique_ptr<InputFile> in_;
};

}  // namespace

bool GuessFromInput(InputFile& in, std::string& head, CodePageGuess& guess) {
  head.clear();
  bool complete = false;
  while (!complete && !GuessHasEnough(head)) {
    const size_t used = head.size();
    head.resize(used + kGuessChunk);
    const long n = in.read(head.data() + used, kGuessChunk);
    if (n < 0) {
      head.resize(used);
      return false;
    }
    head.resize(used + static_cast<size_t>(n));
    complete = n == 0;
  }
  guess = GuessCodePage(head, complete);
  return true;
}

std::unique_ptr<InputFile> DecodedInput(std::unique_ptr<InputFile> in,
                                        const FileEncoding& encoding) {
  if (encoding.utf16) in = Utf16AsUtf8(std::move(in), encoding.bigEndian);
  return encoding.bom ? WithoutByteOrderMark(std::move(in)) : std::move(in);
}

std::unique_ptr<OutputFile> EncodedOutput(std::unique_ptr<OutputFile> out,
                                          const FileEncoding& encoding) {
  return encoding.utf16 ? Utf8AsUtf16(std::move(out), encoding.bigEndian) : std::move(out);
}

std::unique_ptr<InputFile> PrefixedInput(std::string head, std::unique_ptr<InputFile> in) {
  if (head.empty()) return in;
  return std::make_unique<Prefixed>(std::move(head), std::move(in));
}

std::unique_ptr<InputFile> WithoutByteOrderMark(std::unique_ptr<InputFile> in) {
  std::string head(kUtf8ByteOrderMark.size(), '\0');
  size_t got = 0;
  while (got < head.size()) {
    const long n = in->read(head.data() + got, head.size() - got);
    if (n <= 0) break;  // a failure shows at the reader's first read
    got += static_cast<size_t>(n);
  }
  head.resize(got);
  if (head == kUtf8ByteOrderMark) head.clear();
  return PrefixedInput(std::move(head), std::move(in));
}

}  // namespace kadrel
