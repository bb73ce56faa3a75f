#include "io/utf16_files.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "text/utf.h"

namespace kadrel {

namespace {

constexpr size_t kChunk = 64 * 1024;

bool IsHigh(char32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLow(char32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

class Utf16Input : public InputFile {
 public:
  Utf16Input(std::unique_ptr<InputFile> in, bool bigEndian)
      : in_(std::move(in)), bigEndian_(bigEndian) {}

  long read(char* buffer, size_t n) override {
    while (pos_ == text_.size() && !eof_) {
      text_.clear();
      pos_ = 0;
      const size_t used = raw_.size();
      raw_.resize(used + kChunk);
      const long got = in_->read(raw_.data() + used, kChunk);
      if (got < 0) {
        raw_.resize(used);
        return -1;
      }
      raw_.resize(used + static_cast<size_t>(got));
      eof_ = got == 0;
      convert();
    }
    const size_t count = std::min(n, text_.size() - pos_);
    std::memcpy(buffer, text_.data() + pos_, count);
    pos_ += count;
    return static_cast<long>(count);
  }
  FileStatus lastError() const override { return in_->lastError(); }

 private:
  char32_t unit(size_t at) const {
    const auto b0 = static_cast<unsigned char>(raw_[at]);
    const auto b1 = static_cast<unsigned char>(raw_[at + 1]);
    return bigEndian_ ? (b0 << 8 | b1) : (b1 << 8 | b0);
  }

  // Converts the whole units of raw_ (a high surrogate waits for its pair until the
  // end), and at the end an odd last byte.
  void convert() {
    size_t at = 0;
    while (at + 2 <= raw_.size()) {
      const char32_t u = unit(at);
      if (IsHigh(u)) {
        if (at + 4 <= raw_.size()) {
          const char32_t next = unit(at + 2);
          if (IsLow(next)) {
            AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00), text_);
            at += 4;
            continue;
          }
        } else if (!eof_) {
          break;
        }
      }
      AppendUtf8(u, text_);
      at += 2;
    }
    if (eof_ && at < raw_.size()) {
      const auto b = static_cast<unsigned char>(raw_[at++]);
      text_ += static_cast<char>(0xF8 | (b >> 5));
      text_ += static_cast<char>(0xF8 | ((b >> 2) & 7));
      text_ += static_cast<char>(0xF8 | (b & 3));
    }
    raw_.erase(0, at);
  }

  std::unique_ptr<InputFile> in_;
  bool bigEndian_;
  std::string raw_;   // bytes read, not converted yet
  std::string text_;  // converted, not handed out yet
  size_t pos_ = 0;
  bool eof_ = false;
};

class Utf16Output : public OutputFile {
 public:
  Utf16Output(std::unique_ptr<OutputFile> out, bool bigEndian)
      : out_(std::move(out)), bigEndian_(bigEndian) {}

  bool write(const char* data, size_t n) override {
    text_.append(data, n);
    convert(false);
    return flush();
  }
  bool close() override {
    convert(true);
    const bool flushed = flush();
    return out_->close() && flushed;
  }
  FileStatus lastError() const override { return out_->lastError(); }

 private:
  void putUnit(char32_t u) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    raw_ += bigEndian_ ? hi : lo;
    raw_ += bigEndian_ ? lo : hi;
  }
  bool flush() {
    const bool ok = out_->write(raw_.data(), raw_.size());
    raw_.clear();
    return ok;
  }

  // Converts the whole sequences of text_; at the end, a cut one byte by byte.
  void convert(bool atEnd) {
    size_t at = 0;
    const size_t n = text_.size();
    while (at < n) {
      const auto b0 = static_cast<unsigned char>(text_[at]);
      const size_t need = b0 < 0xC0 ? 1 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : b0 < 0xF8 ? 4 : 3;
      if (at + need > n && !atEnd) break;
      if (b0 >= 0xF8 && at + 3 <= n && static_cast<unsigned char>(text_[at + 1]) >= 0xF8 &&
          static_cast<unsigned char>(text_[at + 2]) >= 0xF8) {  // an odd last byte of the file
        raw_ += static_cast<char>((b0 & 7) << 5 | (text_[at + 1] & 7) << 2 | (text_[at + 2] & 3));
        at += 3;
        continue;
      }
      char32_t c = 0;
      const size_t len = DecodeUtf8At(text_, at, c);
      if (len == 0) {  // no UTF-8 text holds it: the byte as a lone surrogate
        putUnit(0xDC00 + b0);
        ++at;
      } else if (c >= 0x10000) {
        putUnit(0xD800 + ((c - 0x10000) >> 10));
        putUnit(0xDC00 + ((c - 0x10000) & 0x3FF));
        at += len;
      } else {
        putUnit(c);
        at += len;
      }
    }
    text_.erase(0, at);
  }

  std::unique_ptr<OutputFile> out_;
  bool bigEndian_;
  std::string text_;  // UTF-8 written, not converted yet
  std::string raw_;   // converted, to be written
};

}  // namespace

std::unique_ptr<InputFile> Utf16AsUtf8(std::unique_ptr<InputFile> in, bool bigEndian) {
  return std::make_unique<Utf16Input>(std::move(in), bigEndian);
}

std::unique_ptr<OutputFile> Utf8AsUtf16(std::unique_ptr<OutputFile> out, bool bigEndian) {
  return std::make_unique<Utf16Output>(std::move(out), bigEndian);
}

}  // namespace kadrel
