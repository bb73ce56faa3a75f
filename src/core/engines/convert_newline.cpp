#include "core/engine_loop.h"
#include "core/engines/engines.h"

namespace kadrel {

// Every LF of a line becomes CR LF and the line ends with CR LF unless its last
// character was an LF. LF never occurs inside a multi-byte character of the
// supported code pages, so the work is done on the bytes, piece by piece: an
// LF-only file arrives as one line and is never held whole.
void ConvertNewline(EngineIo& io) {
  EngineLoop loop(io);
  std::string out;
  while (io.in && !io.in->atEnd()) {
    bool endsWithLf = false, writeFailed = false;
    size_t pieces = 0;
    bool read = io.in->readPieces([&](std::string_view piece) {
      if (writeFailed) return;
      out.clear();
      size_t from = 0;
      for (size_t lf = piece.find('\n'); lf != std::string_view::npos;
           lf = piece.find('\n', from)) {
        out.append(piece, from, lf - from);
        out += "\r\n";
        from = lf + 1;
      }
      out.append(piece, from);
      endsWithLf = piece.back() == '\n';
      writeFailed = !io.out || !io.out->writeRaw(out);
      // A line longer than the buffer comes in several pieces: stay responsive
      // between them; cancel still waits for the line's end.
      if (++pieces > 1) io.host.yield();
    });
    if (!read) return loop.failRead();
    if (writeFailed) return loop.failWrite();
    // An empty line, or one not ending in LF, still ends with CR LF.
    if (!endsWithLf && !loop.writeBytes("\r\n")) return;
    if (!loop.yield()) return;
  }
  if (!io.in) loop.failRead();
}

}  // namespace kadrel
