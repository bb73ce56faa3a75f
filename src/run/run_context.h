// One run as START (or kadrel-cli) asked for it: the options, the target and
// step lists, the step and its description; the platform (Host), the file layer
// and the cancel flag. PrepareRun builds it and RunAll runs it; what the run does
// to each target lives with that target's job (run/target_job.h).
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "core/host.h"
#include "core/run_options.h"
#include "core/step_record.h"
#include "io/file_layer.h"
#include "io/line_io.h"

namespace kadrel {

struct RunContext {
  RunContext(Host& host, FileLayer& files) : host(host), files(files) {}

  Host& host;
  FileLayer& files;

  RunOptions options;
  std::vector<std::string> targets;  // the target file list, in processing order
  // Per target, how far links in its path are followed (DropPath::scanRoot); a
  // target without one is a path named as it is.
  std::vector<size_t> targetScanRoots;
  // Per target, the dropped folder it is reached through (DropPath::dropped).
  std::vector<std::shared_ptr<const DroppedFolder>> targetDroppedFolders;
  std::vector<std::string> steps;  // CmbDataList: the step lines of a COMBO!! run

  StepRecord StepArr;  // the step of a plain run
  std::string DescText;
  bool ComboRun = false;
  // The window's multi-line replacement text (TxtAfterWord, lines joined with CR
  // LF): the replacement of a step whose field 6 is non-zero.
  std::string multiLineReplacement;

  std::atomic<bool> CancelFlag{false};  // may be set from a signal handler

  // The size of the reading and writing buffers, and the engines' fast paths
  // (see core/engine_loop.h): tests and benchmarks vary them.
  size_t lineBufferSize = kLineBufferSize;
  bool fastPaths = true;
  // How many targets are prepared at once (see ProcessTargetsAhead): the cores of
  // the machine for a run of the window or kadrel-cli; 1, one after another (the
  // preview, a run over standard input, the tests that follow a run's order).
  size_t workers = 1;

  // Target i's path as the file layer reaches it, and a name derived from it in
  // its folder (its backup copy, its result).
  DropPath targetName(size_t i) const;
  DropPath derivedName(size_t i, const std::string& path) const;
};

}  // namespace kadrel
