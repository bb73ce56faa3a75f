// Sequential text files, line by line, as every engine reads and writes them.
//
// Input: a line ends at CR or CR LF (both dropped); a lone LF stays inside the
// line; a last line without a line end is a line; an empty file has no lines.
// Output: every line is followed by CR LF. Both sides go through large buffers,
// so a write failure may surface at a later write or only at close().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "io/file_layer.h"
#include "text/code_page.h"

namespace kadrel {

// The size of the reading and of the writing buffer of a run's files.
inline constexpr size_t kLineBufferSize = size_t{1} << 20;

// Keeps buffers of that size on the heap. The C library would map each one
// afresh, and reading a file into such a mapping measured four times the kernel
// time of reading into heap memory; a run opens two buffers per file, and the
// heap keeps them for the next file rather than giving them back to the system.
// Called by the programs before their first run.
void KeepLineBuffersOnTheHeap();

class LineReader {
 public:
  // bufferSize: the bytes one read of the file asks for (at least 1).
  LineReader(std::unique_ptr<InputFile> file, CodePage codePage,
             size_t bufferSize = kLineBufferSize);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // True when no line is left. A read failure is not the end: the next read reports it.
  bool atEnd();

  // The next line's bytes, without its line end. False on a read failure.
  bool readRaw(std::string& line);
  // The next line decoded; with forms, the byte forms noted for it (see ByteForms).
  // False on a read failure.
  bool readLine(std::u32string& line, ByteForms* forms = nullptr);

  // The next line in pieces of at most one buffer, for lines that need not be held
  // whole. piece(bytes) is called for each piece in order; the line's end is reached
  // when readPieces returns true. False on a read failure. A piece function that
  // returns a bool stops the reading by returning false.
  template <typename PieceFn>
  bool readPieces(PieceFn&& piece);

  // The next line, or its first part when it runs on past limit bytes. line views
  // the buffer when the line lies in it, else storage, where the line is gathered.
  enum class Head { Whole, Part, Failed };
  Head readHead(std::string_view& line, std::string& storage, size_t limit);

  // The bytes read ahead, from the start of the next line to the end of the
  // buffer (refilled when empty); empty at the end of the input or after a failure.
  std::string_view buffered();
  // Consumes the first n bytes of buffered(), which end with a CR; an LF that
  // follows that CR is consumed with it.
  void consume(size_t n);
  // The offset in the file of buffered().
  uint64_t position() const { return bufferOffset_ + pos_; }
  size_t capacity() const { return capacity_; }

  const FileStatus& error() const { return error_; }
  const TextCodec& codec() const { return *codec_; }
  void close();
  bool isOpen() const { return file_ != nullptr; }

 private:
  bool fill();  // refills the buffer; false on failure or end
  // Scans from pos_ for a CR; returns the bytes before it and whether the line ended.
  std::string_view take(bool& lineEnded);

  std::unique_ptr<InputFile> file_;
  const TextCodec* codec_;
  size_t capacity_;
  std::unique_ptr<char[]> buffer_;  // left uninitialised: opening a file stays cheap
  size_t pos_ = 0;
  size_t end_ = 0;
  uint64_t bufferOffset_ = 0;  // the offset in the file of buffer_[0]
  bool eof_ = false;
  bool skipLf_ = false;  // a CR ended the last buffer: drop an LF that starts the next one
  FileStatus error_;
};

class LineWriter {
 public:
  // bufferSize: the bytes gathered before they are written to the file.
  LineWriter(std::unique_ptr<OutputFile> file, CodePage codePage,
             size_t bufferSize = kLineBufferSize);
  ~LineWriter();
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;

  // Encoded, then CR LF.
  [[nodiscard]] bool writeLine(std::u32string_view line);
  [[nodiscard]] bool writeRawLine(std::string_view bytes);  // as given, then CR LF
  [[nodiscard]] bool writeRaw(std::string_view bytes);      // as given, no line end
  // Flushes and closes; false when the flush or the close failed. Closing twice is harmless.
  [[nodiscard]] bool close();

  const FileStatus& error() const { return error_; }
  const TextCodec& codec() const { return *codec_; }
  bool isOpen() const { return file_ != nullptr; }

 private:
  bool flush();

  std::unique_ptr<OutputFile> file_;
  const TextCodec* codec_;
  size_t capacity_;
  std::string buffer_;
  std::string encoded_;  // scratch for encoding, reused between lines
  FileStatus error_;
};

template <typename PieceFn>
bool LineReader::readPieces(PieceFn&& piece) {
  for (;;) {
    if (pos_ == end_ && !fill()) return error_.ok();
    bool ended = false;
    std::string_view bytes = take(ended);
    if (!bytes.empty()) {
      if constexpr (std::is_same_v<decltype(piece(bytes)), bool>) {
        if (!piece(bytes)) return true;  // the caller stops reading
      } else {
        piece(bytes);
      }
    }
    if (ended) return true;
  }
}

}  // namespace kadrel
