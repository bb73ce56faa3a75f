// What one engine call works with and what it reports: its input and output, the
// platform, the cancel flag, the options it reads and the names its boxes show.
// The run builds one for every engine call; a test builds one around files of its
// own. Engines read nothing else.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "core/host.h"
#include "io/line_io.h"

namespace kadrel {

// The run options as the engines read them.
struct EngineOptions {
  bool caseSensitive = false;    // CompMode non-zero: upper and lower case told apart
  bool updateNoFile = true;      // UpdateNoFile 1: a replacement that finds nothing rewrites
  bool resultHeaders = true;     // header and trailer in result files (SelAddSts 0, no COMBO!!)
  bool lineNumbers = false;      // AddLineNo 1: line numbers in front of extracted lines
  bool resultSeparator = false;  // a joint result file of several targets
  // The fast paths (see core/engine_loop.h). Off, every line is read whole and
  // decoded: the plain path, the reference of the differential tests.
  bool fastPaths = true;
};

struct EngineIo {
  EngineIo(Host& host, const std::atomic<bool>& cancel) : host(host), CancelFlag(cancel) {}

  // The open files (the classic InFileNo and OutFileNo); an engine closes both
  // when it stops on a failure or a cancel.
  std::unique_ptr<LineReader> in;
  std::unique_ptr<LineWriter> out;
  Host& host;
  const std::atomic<bool>& CancelFlag;
  EngineOptions options;
  std::string readPath;   // the file read (TargetPath): read-failure boxes, result headers
  std::string writePath;  // the file written: write-failure boxes

  // What the engine reports.
  bool ErrFlag = false;     // it stopped on a failure, after its box
  bool ChangedFlag = true;  // false: a replacement found nothing and UpdateNoFile is off
  // The output (a joint result file in another code page than the input) cannot
  // hold this character of a line to write: the engine stopped (ErrFlag set,
  // files closed) without a box, which the caller shows.
  std::optional<char32_t> unwritable;

  // Closes both files; errors are ignored (callers that care close out first).
  void closeAll();
};

}  // namespace kadrel
