// The contract every engine keeps, in one place: read the input line by line,
// write lines followed by CR LF, report a read or write failure in its box
// ("File Read Error" / "File Write Error"), set ErrFlag and close all files,
// yield after every line and stop (closing all files) when CancelFlag is set.
//
//   EngineLoop loop(io);
//   std::string_view line;
//   bool whole;
//   while (loop.nextLine(line, whole)) {
//     if (!loop.feedLine(line, whole, [&](std::string_view bytes, bool last) {
//           ... transform, loop.writeBytes(...), at the last part loop.endLine() ...
//         }))
//       return;
//     if (!loop.yield()) return;
//   }
//   if (!loop.finished()) return;   // read failure
//
// Fast paths. With io.options.fastPaths (the default) the loop offers the engines two
// ways round decoding every line whole:
//  - passLines: the lines ahead in which a prefilter (a NeedleSet) finds no
//    candidate are copied as their bytes, or dropped, undecoded;
//  - a line longer than the reading buffer comes in pieces (nextLine gives its
//    first part, readRest the others), so that no line is ever held whole.
// Without them every line is read whole and goes through the engine's own line
// path: the plain reference that the differential tests hold the fast paths to.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/engine_io.h"
#include "text/byte_search.h"

namespace kadrel {

class EngineLoop {
 public:
  // The most bytes feedLine hands on at once of a line that comes in parts.
  static constexpr size_t kLinePart = size_t{64} << 10;

  explicit EngineLoop(EngineIo& io) : io_(io) {}

  bool fastPaths() const { return io_.options.fastPaths; }
  // The input's code page.
  const TextCodec& codec() const;

  // Reads the next line: whole, or (fast paths on) when it runs on past the
  // reading buffer, its first part, the rest to come through readRest. line stays
  // valid until the next read. False at the end of the input, after a read
  // failure (box shown, ErrFlag set, files closed), or when a cancel stopped the
  // reading (files closed): finished() tells the end from the others.
  bool nextLine(std::string_view& line, bool& whole);
  // The rest of a line that nextLine gave in part, piece by piece. False after a
  // read failure (reported as above).
  template <typename PieceFn>
  bool readRest(PieceFn&& piece);
  // Hands a line that nextLine gave to feed(bytes, last): whole, or part by part
  // and then once more with no bytes and last. feed returns false after a failure
  // (reported); so does feedLine, then, and after a read failure.
  template <typename FeedFn>
  bool feedLine(std::string_view line, bool whole, FeedFn&& feed);

  // What becomes of the lines that passLines passes over.
  enum class Pass { Drop, Copy };
  // The fast path of a step that leaves a line without a candidate of filter as
  // it is (Copy: written as read, with CR LF) or out (Drop): passes such lines,
  // up to the next line that may hold a candidate or the last whole line read
  // ahead, yielding after each as if read one by one; count grows by the lines
  // passed. False when the engine must stop: cancelled (files closed) or a write
  // failure (reported). Does nothing without fast paths.
  bool passLines(NeedleSet& filter, Pass pass, int64_t& count);
  // The same, each passed line handed to line(bytes), which writes it (false on
  // a write failure, reported through failWrite()).
  bool passLines(NeedleSet& filter, const std::function<bool(std::string_view)>& line,
                 int64_t& count);

  // Writes a text, encoded, and CR LF.
  bool write(std::u32string_view line);
  // A line given as bytes of the input, then CR LF.
  bool writeRaw(std::string_view bytes);
  bool writeBytes(std::string_view bytes);  // bytes without a line end
  bool endLine() { return writeBytes("\r\n"); }
  // False after a write failure (box shown, ErrFlag set, files closed).

  // Yields to the host; false when CancelFlag is set (files closed).
  bool yield();

  // True when the input was read to its end without failure.
  bool finished() const { return finished_; }

  // Reports a read failure of the input / a write failure of the output now.
  void failRead();
  void failWrite();
  // Reports a failure with a text of our own in the write-failure box (an
  // ill-formed pattern, say): box, ErrFlag, files closed.
  void fail(const std::string& title, const std::string& text);

  EngineIo& io() { return io_; }
  const EngineOptions& options() const { return io_.options; }

 private:
  // region(lines, ends) acts on the whole lines passed (ends: their line ends,
  // the CR LFs counted when withCrLfs).
  template <typename RegionFn>
  bool passLinesWith(NeedleSet& filter, bool withCrLfs, int64_t& count, RegionFn&& region);
  bool copyLines(std::string_view region, const LineEndCount& ends);

  // Shows the failure box, sets ErrFlag and closes the files; only the first
  // failure of a call is reported.
  void report(const std::string& title, const std::string& text);

  // The output is in another code page than the input (a joint result file):
  // lines of the input go out as their characters.
  bool transcoding() const;

  EngineIo& io_;
  bool finished_ = false;
  bool failed_ = false;
  bool readingRest_ = false;
  std::string gathered_;  // a line that does not lie in the reading buffer
  std::u32string transcoded_;
};

template <typename PieceFn>
bool EngineLoop::readRest(PieceFn&& piece) {
  if (!io_.in) {
    failRead();
    return false;
  }
  // A failure reported by piece stops the reading; the files are closed after it.
  // Between pieces the host gets a yield, so that a long line keeps the program
  // responsive (a cancel takes effect at the line's end).
  readingRest_ = true;
  bool first = true;
  const bool read = io_.in->readPieces([&](std::string_view bytes) {
    if (!first) io_.host.yield();
    first = false;
    piece(bytes);
    return !failed_;
  });
  readingRest_ = false;
  if (failed_) {
    io_.closeAll();
    return false;
  }
  if (read) return true;
  failRead();
  return false;
}

template <typename FeedFn>
bool EngineLoop::feedLine(std::string_view line, bool whole, FeedFn&& feed) {
  if (whole) return feed(line, true);
  // Parts of at most kLinePart bytes: what an engine decodes of a part stays small.
  bool ok = true;
  auto feedParts = [&](std::string_view bytes) {
    for (size_t at = 0; ok && at < bytes.size(); at += kLinePart)
      ok = feed(bytes.substr(at, kLinePart), false);
  };
  feedParts(line);
  if (!readRest(feedParts)) return false;
  return ok && feed(std::string_view(), true);
}

// The bytes that a line in parts holds back from one part for the next (an
// undecided end, or characters that wait for what follows).
class CarriedBytes {
 public:
  // The bytes held back, then part: the text at hand, valid until keepFrom.
  std::string_view join(std::string_view part) {
    if (held_.empty()) return text_ = part;
    held_.append(part);
    return text_ = held_;
  }
  // Holds back the text at hand from offset from on (none: from at its end).
  void keepFrom(size_t from) {
    std::string rest(text_.substr(from));
    held_.swap(rest);
  }
  void clear() { held_.clear(); }
  bool empty() const { return held_.empty(); }

 private:
  std::string held_;
  std::string_view text_;
};

// The read / write failure box of the engines: the error text, CR, "[ ", path, "]".
void ShowFileErrorBox(Host& host, const char* title, const FileStatus& status,
                      const std::string& path);

}  // namespace kadrel
