// One run's world: the options, the run state the engines share, the target and
// step lists, the program's folder, the platform (Host) and the file layer.
// Tests build one in a temporary folder with a fake Host and run it.
#pragma once

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/host.h"
#include "core/run_options.h"
#include "core/step_record.h"
#include "io/file_encoding.h"
#include "io/file_layer.h"
#include "io/line_io.h"

namespace kadrel {

struct RunContext {
  RunContext(Host& host, FileLayer& files) : host(host), files(files) {}

  Host& host;
  FileLayer& files;

  RunOptions options;
  std::string programFolder;         // where Kadrel.ini and KadrelCmb.data live
  std::vector<std::string> targets;  // the target file list, in processing order
  // Per target, how far links in its path are followed (DropPath::scanRoot); a
  // target without one is a path named as it is.
  std::vector<size_t> targetScanRoots;
  std::vector<std::string> steps;  // CmbDataList: the step lines of a COMBO!! run

  // Run state.
  StepRecord StepArr;
  std::string DescText;
  bool ComboRun = false;
  std::string TargetPath;
  std::string BkPath;
  std::string SelPath;
  bool ErrFlag = false;
  std::atomic<bool> CancelFlag{false};  // may be set from a signal handler
  int ChangedFlag = 1;
  // The window's multi-line replacement text (TxtAfterWord, lines joined with CR
  // LF): the replacement of a step whose field 6 is non-zero.
  std::string multiLineReplacement;

  // With the code page option "auto": how the files of the target in progress are
  // read and written (the target, its new content, its COMBO!! steps' outputs,
  // its own result file), chosen per target from its first bytes; and how the
  // output in progress is written: the target's encoding, or that of a joint
  // result file (the encoding of the first target written into it).
  FileEncoding targetEncoding;
  FileEncoding outputEncoding;
  // The encodings the run's files are opened in: the fixed code page, or with
  // "auto" the two above.
  FileEncoding readEncoding() const;
  FileEncoding writeEncoding() const;

  // The open files of the run (the classic InFileNo / OutFileNo), and the size of
  // their buffers.
  std::unique_ptr<LineReader> in;
  std::unique_ptr<LineWriter> out;
  size_t lineBufferSize = kLineBufferSize;
  // The engines' fast paths (see core/engine_loop.h). Off, every line is read
  // whole and decoded: the plain path, the reference of the differential tests.
  bool fastPaths = true;

  // The files this run has processed (as it opened them, and as it left them):
  // a file reached again, listed twice or through a link, is processed once.
  std::set<FileId> processedFiles;
  // The folders whose leftover temporaries this run has removed.
  std::set<std::string> cleanedFolders;

  // Closes both files; errors are ignored (callers that care close out first).
  void closeAll();

  // True when path is one of the listed targets (a file the run must never
  // write over with a backup copy or a result).
  bool isListedTarget(const std::string& path) const;

  // Target i's path, and a name derived from it in its folder (its backup copy,
  // its result), as the file layer reaches them.
  DropPath targetName(size_t i) const;
  DropPath derivedName(size_t i, const std::string& path) const;
};

}  // namespace kadrel
