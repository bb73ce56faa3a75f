#include "core/engine_loop.h"

#include <cerrno>
#include <cstring>
#include <tuple>

namespace kadrel {

void ShowFileErrorBox(Host& host, const char* title, const FileStatus& status,
                      const std::string& path) {
  MessageBoxRequest box;
  box.title = title;
  box.text = status.text + "\r[ " + path + "]";
  host.showMessage(box);
}

void EngineIo::closeAll() {
  if (out) std::ignore = out->close();
  out.reset();
  if (in) in->close();
  in.reset();
}

const TextCodec& EngineLoop::codec() const {
  // A loop whose files failed to open decodes nothing; any codec will do.
  return io_.in ? io_.in->codec() : CodecFor(CodePage::UTF8);
}

bool EngineLoop::transcoding() const {
  return io_.in && io_.out && &io_.in->codec() != &io_.out->codec();
}

bool EngineLoop::nextLine(std::string_view& line, bool& whole) {
  if (!io_.in) {
    failRead();
    return false;
  }
  if (io_.in->atEnd()) {
    finished_ = true;
    return false;
  }
  // Parts go out as they are: not into an output in another code page.
  const size_t limit =
      io_.options.fastPaths && !transcoding() ? io_.in->capacity() : std::string::npos;
  const LineReader::Head head = io_.in->readHead(line, gathered_, limit);
  if (head == LineReader::Head::Failed) {
    failRead();
    return false;
  }
  whole = head == LineReader::Head::Whole;
  return true;
}

namespace {

// Hands each line of lines (whole lines, each ended by CR or CR LF) to line(bytes)
// while it returns true; returns where the last line handed ends.
template <typename LineFn>
size_t EachLine(std::string_view lines, LineFn&& line) {
  size_t from = 0;
  while (from < lines.size()) {
    const size_t cr = lines.find('\r', from);
    if (!line(lines.substr(from, cr - from))) break;
    from = cr + 1;
    if (from < lines.size() && lines[from] == '\n') ++from;
  }
  return from;
}

}  // namespace

template <typename RegionFn>
bool EngineLoop::passLinesWith(NeedleSet& filter, bool withCrLfs, int64_t& count,
                               RegionFn&& region) {
  while (io_.options.fastPaths && io_.in) {
    const std::string_view ahead = io_.in->buffered();
    const size_t candidate = filter.find(ahead, io_.in->position());
    // The whole lines before the line that holds the candidate.
    const size_t before = candidate == std::string_view::npos ? ahead.size() : candidate;
    const void* cr = before == 0 ? nullptr : memrchr(ahead.data(), '\r', before);
    if (cr == nullptr) return true;
    size_t end = static_cast<size_t>(static_cast<const char*>(cr) - ahead.data()) + 1;
    if (end < ahead.size() && ahead[end] == '\n') ++end;
    std::string_view lines = ahead.substr(0, end);
    LineEndCount ends = CountLineEnds(lines, withCrLfs);
    // A yield per line, as when they are read one by one; a cancel takes effect
    // after the line it came with.
    size_t passed = 0;
    bool cancelled = false;
    while (passed < ends.crs && !cancelled) {
      ++passed;
      io_.host.yield();
      cancelled = io_.CancelFlag.load();
    }
    if (passed < ends.crs) {
      size_t left = passed;
      lines = lines.substr(0, EachLine(lines, [&](std::string_view) { return left-- > 0; }));
      ends = CountLineEnds(lines, withCrLfs);
    }
    if (!region(lines, ends)) return false;
    io_.in->consume(lines.size());
    count += static_cast<int64_t>(passed);
    if (cancelled) {
      io_.closeAll();
      return false;
    }
    if (candidate != std::string_view::npos) return true;
  }
  return true;
}

bool EngineLoop::copyLines(std::string_view lines, const LineEndCount& ends) {
  // Lines that end in CR LF (the last one's LF may be yet unread) go out as read.
  const bool endsInCr = lines.back() == '\r';
  if (ends.crLfs + (endsInCr ? 1 : 0) == ends.crs && !transcoding()) {
    return writeBytes(lines) && (!endsInCr || writeBytes("\n"));
  }
  bool ok = true;
  EachLine(lines, [&](std::string_view line) {
    ok = writeRaw(line);
    return ok;
  });
  return ok;
}

bool EngineLoop::passLines(NeedleSet& filter, Pass pass, int64_t& count) {
  const bool copy = pass == Pass::Copy;
  return passLinesWith(filter, copy, count, [&](std::string_view lines, const LineEndCount& ends) {
    return !copy || copyLines(lines, ends);
  });
}

bool EngineLoop::passLines(NeedleSet& filter, const std::function<bool(std::string_view)>& line,
                           int64_t& count) {
  return passLinesWith(filter, false, count, [&](std::string_view lines, const LineEndCount&) {
    bool ok = true;
    EachLine(lines, [&](std::string_view bytes) {
      ok = line(bytes);
      return ok;
    });
    return ok;
  });
}

bool EngineLoop::write(std::u32string_view line) {
  if (failed_) return false;
  // A character of this input that a joint result file in another code page
  // cannot hold is never written as "?": the engine stops and says which.
  if (transcoding()) {
    const TextCodec& out = io_.out->codec();
    for (char32_t c : line) {
      if (out.canEncode(c)) continue;
      io_.unwritable = c;
      io_.ErrFlag = failed_ = true;
      io_.closeAll();
      return false;
    }
  }
  if (io_.out && io_.out->writeLine(line)) return true;
  failWrite();
  return false;
}

bool EngineLoop::writeRaw(std::string_view bytes) {
  if (failed_) return false;
  // A joint result file may be in another code page than this input: the line
  // goes in as its characters.
  if (transcoding()) {
    transcoded_.clear();
    io_.in->codec().decode(bytes, transcoded_);
    return write(transcoded_);
  }
  if (io_.out && io_.out->writeRawLine(bytes)) return true;
  failWrite();
  return false;
}

bool EngineLoop::writeBytes(std::string_view bytes) {
  if (failed_) return false;
  if (io_.out && io_.out->writeRaw(bytes)) return true;
  failWrite();
  return false;
}

bool EngineLoop::yield() {
  io_.host.yield();
  if (io_.CancelFlag.load()) {
    io_.closeAll();
    return false;
  }
  return true;
}

void EngineLoop::failRead() {
  FileStatus status = io_.in ? io_.in->error() : StatusFromErrno(9);
  if (status.code == ECANCELED) {  // a cancel heard in the middle of a long line
    io_.closeAll();
    return;
  }
  if (status.ok()) status = StatusFromErrno(5);
  report("File Read Error", status.text + "\r[ " + io_.readPath + "]");
}

void EngineLoop::failWrite() {
  FileStatus status = io_.out ? io_.out->error() : StatusFromErrno(9);
  if (status.ok()) status = StatusFromErrno(5);
  report("File Write Error", status.text + "\r[ " + io_.writePath + "]");
}

void EngineLoop::fail(const std::string& title, const std::string& text) {
  report(title, text);
}

void EngineLoop::report(const std::string& title, const std::string& text) {
  if (failed_) return;
  failed_ = true;
  MessageBoxRequest box;
  box.title = title;
  box.text = text;
  io_.host.showMessage(box);
  io_.ErrFlag = true;
  // The input is still being read within readRest: closed once that returns.
  if (!readingRest_) io_.closeAll();
}

}  // namespace kadrel
