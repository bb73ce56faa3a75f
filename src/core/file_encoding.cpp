#include "core/file_encoding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

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

EncodedInput ReadEncoding(std::unique_ptr<InputFile> in, const CodePageSetting& setting) {
  EncodedInput result;
  if (!setting.automatic) {
    result.encoding.codePage = setting.fixed;
    result.file = std::move(in);
    return result;
  }
  std::string head;
  CodePageGuess guess;
  if (!GuessFromInput(*in, head, guess)) {
    result.error = in->lastError();
    if (result.error.ok()) result.error = StatusFromErrno(EIO);
    return result;
  }
  result.guess = guess;
  result.encoding = EncodingOf(guess);
  if (guess.bom) head.erase(0, kUtf8ByteOrderMark.size());
  result.file = PrefixedInput(std::move(head), std::move(in));
  return result;
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
