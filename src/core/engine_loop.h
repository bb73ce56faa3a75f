// The contract every engine keeps, in one place: read the input line by line,
// write lines followed by CR LF, report a read or write failure in its box
// ("File Read Error" / "File Write Error"), set ErrFlag and close all files,
// yield after every line and stop (closing all files) when CancelFlag is set.
//
//   EngineLoop loop(ctx, ctx.TargetPath);
//   std::u32string line;
//   while (loop.next(line)) {
//     ... transform ...
//     if (!loop.write(line)) return;
//     if (!loop.yield()) return;
//   }
//   if (!loop.finished()) return;   // read failure
#pragma once

#include <string>
#include <string_view>

#include "core/run_context.h"

namespace kadrel {

class EngineLoop {
 public:
  // writePath is the path named in the write-failure box (the target for rewriting
  // engines, the result file for extraction engines); reads name TargetPath.
  EngineLoop(RunContext& ctx, std::string writePath);

  // Reads the next line. False at the end of the input, after a read failure
  // (box shown, ErrFlag set, files closed), or when a cancel stopped the reading
  // (files closed): finished() tells the end from the others.
  bool next(std::u32string& line);
  bool nextRaw(std::string& bytes);  // the same, undecoded
  // Decodes a line read with nextRaw, as next() does.
  void decode(std::string_view bytes, std::u32string& line);

  // Writes a line and CR LF. The line is encoded with the byte forms of the line
  // decoded last, so that the characters it kept keep their bytes, and the line
  // unchanged is written as the very bytes read. False after a write failure (box
  // shown, ErrFlag set, files closed).
  bool write(std::u32string_view line);
  // A line given as bytes of the input, then CR LF.
  bool writeRaw(std::string_view bytes);
  bool writeBytes(std::string_view bytes);  // bytes without a line end

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

  RunContext& context() { return ctx_; }
  LineReader& reader() { return *ctx_.in; }
  LineWriter& writer() { return *ctx_.out; }

 private:
  // Reads the next line with read(reader), or tells the end or a failure.
  template <typename ReadFn>
  bool advance(ReadFn&& read);

  RunContext& ctx_;
  std::string writePath_;
  bool finished_ = false;
  ByteForms forms_;  // of the line decoded last
  std::u32string transcoded_;
};

// The read / write failure box of the engines: the error text, CR, "[ ", path, "]".
void ShowFileErrorBox(RunContext& ctx, const char* title, const FileStatus& status,
                      const std::string& path);

}  // namespace kadrel
