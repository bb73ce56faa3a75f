#include "io/text_source.h"

#include <cerrno>
#include <cstring>

#include "io/streams.h"

namespace kadrel {

namespace {

// The first line held ahead of content() at most, when the file can be opened
// again: a longer one is scanned and read anew, so memory stays small.
constexpr size_t kHeldFirstLine = size_t{64} << 10;
constexpr size_t kScanPiece = size_t{16} << 10;

FileStatus ReadFailure(const InputFile& in) {
  FileStatus status = in.lastError();
  return status.ok() ? StatusFromErrno(EIO) : status;
}

// Reads the first bytes of in, at most n, into head. False on a read failure.
bool ReadHead(InputFile& in, size_t n, std::string& head) {
  head.resize(n);
  size_t got = 0;
  while (got < n) {
    const long read = in.read(head.data() + got, n - got);
    if (read < 0) return false;
    if (read == 0) break;
    got += static_cast<size_t>(read);
  }
  head.resize(got);
  return true;
}

}  // namespace

TextSource TextSource::Open(Opened<InputFile> raw, const CodePageSetting& setting,
                            Options options) {
  TextSource source;
  source.options_ = std::move(options);
  if (!raw) {
    source.fail(raw.status);
    return source;
  }
  std::unique_ptr<InputFile> in = std::move(raw.file);
  if (source.options_.cancel != nullptr) in = Cancellable(std::move(in), *source.options_.cancel);
  std::string head;
  if (setting.automatic || source.options_.markRules) {
    CodePageGuess guess;
    if (!GuessFromInput(*in, head, guess)) {
      source.fail(ReadFailure(*in));
      return source;
    }
    source.binary_ = guess.binary;
    if (setting.automatic || guess.bom) {
      source.guess_ = guess;
      source.encoding_ = EncodingOf(guess);
    } else {
      source.encoding_ = FileEncoding{setting.fixed};
    }
  } else {
    // The code page is given; the first bytes still tell a binary file, and under
    // UTF-8 its byte order mark.
    if (!ReadHead(*in, kBinaryProbeBytes, head)) {
      source.fail(ReadFailure(*in));
      return source;
    }
    source.binary_ = HoldsNulByte(head);
    source.encoding_ = FileEncoding{setting.fixed};
    source.encoding_.bom = setting.fixed == CodePage::UTF8 && head.starts_with(kUtf8ByteOrderMark);
  }
  source.decoded_ = source.decode(PrefixedInput(std::move(head), std::move(in)));
  return source;
}

TextSource TextSource::Open(Opened<InputFile> raw, const FileEncoding& encoding, Options options) {
  TextSource source;
  source.options_ = std::move(options);
  source.encoding_ = encoding;
  if (!raw) {
    source.fail(raw.status);
    return source;
  }
  std::unique_ptr<InputFile> in = std::move(raw.file);
  if (source.options_.cancel != nullptr) in = Cancellable(std::move(in), *source.options_.cancel);
  source.decoded_ = source.decode(std::move(in));
  return source;
}

std::unique_ptr<InputFile> TextSource::decode(std::unique_ptr<InputFile> raw) const {
  return DecodedInput(std::move(raw), encoding_);
}

void TextSource::fail(const FileStatus& status) {
  status_ = status.ok() ? StatusFromErrno(EIO) : status;
  checked_ = true;
  firstLine_ = FirstLine::Failed;
}

TextSource::FirstLine TextSource::firstLine() {
  if (checked_) return firstLine_;
  checked_ = true;
  // The first line ends at its CR; an LF before it is a UNIX line end.
  auto verdict = [](std::string_view bytes, FirstLine& line) {
    const char* cr = static_cast<const char*>(std::memchr(bytes.data(), '\r', bytes.size()));
    const size_t end = cr == nullptr ? bytes.size() : static_cast<size_t>(cr - bytes.data());
    if (std::memchr(bytes.data(), '\n', end) != nullptr) {
      line = FirstLine::BareLf;
      return true;
    }
    line = FirstLine::Ends;
    return cr != nullptr;
  };
  char piece[kScanPiece];
  for (;;) {
    const long n = decoded_->read(piece, sizeof piece);
    if (n < 0) {
      fail(ReadFailure(*decoded_));
      return firstLine_;
    }
    if (n == 0) return firstLine_ = FirstLine::Ends;
    const std::string_view bytes(piece, static_cast<size_t>(n));
    const bool decided = verdict(bytes, firstLine_);
    if (!reopenForContent_) {
      head_.append(bytes);
      if (!decided && options_.reopen && head_.size() > kHeldFirstLine) {
        head_.clear();
        head_.shrink_to_fit();
        reopenForContent_ = true;
      }
    }
    if (decided) return firstLine_;
  }
}

Opened<InputFile> TextSource::content() {
  if (!ok()) return {nullptr, status_};
  if (reopenForContent_) {
    Opened<InputFile> again = options_.reopen();
    if (!again) return again;
    std::unique_ptr<InputFile> in = std::move(again.file);
    if (options_.cancel != nullptr) in = Cancellable(std::move(in), *options_.cancel);
    return {decode(std::move(in)), {}};
  }
  return {PrefixedInput(std::move(head_), std::move(decoded_)), {}};
}

}  // namespace kadrel
