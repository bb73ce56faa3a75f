#include "io/line_io.h"

#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <tuple>

namespace kadrel {

void KeepLineBuffersOnTheHeap() {
  ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(4 * kLineBufferSize));
  // Nor given back to the system when a file's buffers are freed, to be taken
  // again for the next file.
  ::mallopt(M_TRIM_THRESHOLD, static_cast<int>(16 * kLineBufferSize));
}

LineReader::LineReader(std::unique_ptr<InputFile> file, CodePage codePage, size_t bufferSize)
    : file_(std::move(file)),
      codec_(&CodecFor(codePage)),
      capacity_(std::max<size_t>(bufferSize, 1)),
      buffer_(new char[capacity_]) {}

LineReader::~LineReader() = default;

void LineReader::close() {
  file_.reset();
}

bool LineReader::fill() {
  bufferOffset_ += end_;
  pos_ = end_ = 0;
  if (!file_ || eof_ || !error_.ok()) return false;
  long n = file_->read(buffer_.get(), capacity_);
  if (n < 0) {
    error_ = file_->lastError();
    if (error_.ok()) error_ = StatusFromErrno(5);
    return false;
  }
  if (n == 0) {
    eof_ = true;
    return false;
  }
  end_ = static_cast<size_t>(n);
  if (skipLf_) {
    skipLf_ = false;
    if (buffer_[0] == '\n') pos_ = 1;
  }
  return true;
}

bool LineReader::atEnd() {
  while (pos_ == end_) {
    if (!error_.ok() || !file_) return false;  // the next read reports the failure
    if (!fill()) return error_.ok();
  }
  return false;
}

std::string_view LineReader::take(bool& lineEnded) {
  const char* begin = buffer_.get() + pos_;
  const char* cr = static_cast<const char*>(std::memchr(begin, '\r', end_ - pos_));
  if (cr == nullptr) {
    std::string_view piece(begin, end_ - pos_);
    pos_ = end_;
    lineEnded = false;
    return piece;
  }
  std::string_view piece(begin, static_cast<size_t>(cr - begin));
  pos_ = static_cast<size_t>(cr - buffer_.get()) + 1;
  if (pos_ < end_) {
    if (buffer_[pos_] == '\n') ++pos_;
  } else {
    skipLf_ = true;
  }
  lineEnded = true;
  return piece;
}

bool LineReader::readRaw(std::string& line) {
  line.clear();
  if (!file_) {
    error_ = StatusFromErrno(9);
    return false;
  }
  return readPieces([&](std::string_view piece) { line.append(piece); });
}

bool LineReader::readLine(std::u32string& line, ByteForms* forms) {
  line.clear();
  if (!file_) {
    error_ = StatusFromErrno(9);
    return false;
  }
  if (pos_ == end_ && !fill()) return error_.ok();
  // A line that lies whole in the buffer is decoded in place; a longer one is
  // gathered first, since a piece boundary may fall inside a character.
  bool ended = false;
  std::string_view first = take(ended);
  if (ended) {
    codec_->decode(first, line, forms);
    return true;
  }
  std::string bytes(first);
  if (!readPieces([&](std::string_view piece) { bytes.append(piece); })) return false;
  codec_->decode(bytes, line, forms);
  return true;
}

LineReader::Head LineReader::readHead(std::string_view& line, std::string& storage, size_t limit) {
  line = {};
  if (!file_) {
    error_ = StatusFromErrno(9);
    return Head::Failed;
  }
  if (pos_ == end_ && !fill()) return error_.ok() ? Head::Whole : Head::Failed;
  bool ended = false;
  std::string_view first = take(ended);
  if (ended) {
    line = first;
    return Head::Whole;
  }
  storage.assign(first);
  while (!ended && storage.size() < limit) {
    if (pos_ == end_ && !fill()) {
      if (!error_.ok()) return Head::Failed;
      break;  // the last line, without a line end
    }
    storage.append(take(ended));
  }
  line = storage;
  return ended || eof_ ? Head::Whole : Head::Part;
}

std::string_view LineReader::buffered() {
  if (pos_ == end_ && !fill()) return {};
  return std::string_view(buffer_.get() + pos_, end_ - pos_);
}

void LineReader::consume(size_t n) {
  pos_ += n;
  if (n == 0 || buffer_[pos_ - 1] != '\r') return;
  if (pos_ < end_) {
    if (buffer_[pos_] == '\n') ++pos_;
  } else {
    skipLf_ = true;
  }
}

LineWriter::LineWriter(std::unique_ptr<OutputFile> file, CodePage codePage, size_t bufferSize)
    : file_(std::move(file)), codec_(&CodecFor(codePage)), capacity_(bufferSize) {
  buffer_.reserve(capacity_ + 4096);
}

LineWriter::~LineWriter() {
  std::ignore = close();  // a writer whose outcome matters is closed by its owner
}

bool LineWriter::flush() {
  if (buffer_.empty()) return error_.ok();
  if (!file_) return false;
  if (error_.ok() && !file_->write(buffer_.data(), buffer_.size())) error_ = file_->lastError();
  buffer_.clear();
  return error_.ok();
}

bool LineWriter::writeRaw(std::string_view bytes) {
  if (!file_ || !error_.ok()) {
    if (error_.ok()) error_ = StatusFromErrno(9);
    return false;
  }
  // Many lines at once (lines copied as read) are written from where they lie.
  const bool direct = bytes.size() >= std::max<size_t>(capacity_ / 2, 1);
  if (direct || buffer_.size() + bytes.size() > capacity_) {
    if (!flush()) return false;
    if (direct) {
      if (!file_->write(bytes.data(), bytes.size())) {
        error_ = file_->lastError();
        return false;
      }
      return true;
    }
  }
  buffer_.append(bytes);
  return true;
}

bool LineWriter::writeRawLine(std::string_view bytes) {
  if (!writeRaw(bytes)) return false;
  return writeRaw("\r\n");
}

bool LineWriter::writeLine(std::u32string_view line) {
  encoded_.clear();
  codec_->encode(line, encoded_);
  encoded_ += "\r\n";
  return writeRaw(encoded_);
}

bool LineWriter::close() {
  if (!file_) return error_.ok();
  flush();
  if (!file_->close() && error_.ok()) error_ = file_->lastError();
  file_.reset();
  return error_.ok();
}

}  // namespace kadrel
