// Preparing a run: one plain request in, one run context out. The window, the
// command line, the proof tests and the fuzz targets all start their runs here.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/host.h"
#include "core/run_options.h"
#include "io/file_layer.h"
#include "run/run_context.h"
#include "run/step_from_page.h"

namespace kadrel {

struct RunRequest {
  RunOptions options;
  // The target file list as shown: full paths in processing order, or the
  // placeholder line while no file is listed.
  std::vector<std::string> listEntries;
  // Per entry, how far links in its path are followed (TargetListResult::scanRoots);
  // entries without one are paths named as they are.
  std::vector<size_t> listScanRoots;
  // Per entry, the dropped folder its scan opened (TargetListResult::droppedFolders).
  std::vector<std::shared_ptr<const DroppedFolder>> listDroppedFolders;

  // A COMBO!! run: the loaded step list and the COMBO!! text shown for it.
  bool combo = false;
  std::vector<std::string> comboSteps;
  std::string comboText;
  // False when a COMBO!! file did not load whole: the run is then refused after
  // the START checks, without a box of its own (the loading has told why).
  bool stepListComplete = true;

  // A single step: the values of the window's mode page, or else a step line.
  std::optional<PageValues> page;
  std::string stepLine;
  // The window's multi-line replacement text (TxtAfterWord), lines joined with
  // CR LF: the replacement of a step whose field 6 is non-zero.
  std::string multiLineReplacement;

  // The buffers' size and the engines' fast paths: tests and benchmarks vary them.
  size_t lineBufferSize = kLineBufferSize;
  bool fastPaths = true;
  // Targets prepared at once (RunContext::workers).
  size_t workers = 1;
};

struct PreparedRun {
  // True when the run may start: the START checks passed and the step was
  // accepted. Otherwise a box has said why (or, for a step list loaded in part,
  // the loading has).
  bool ready = false;
  // The run's context, built whatever the outcome: a refused step stays in
  // StepArr as the check left it (the fuzz targets run it all the same).
  std::unique_ptr<RunContext> context;
};

// START's part before the run dialog: the START checks, the step from the page
// or the line (checked, its description composed into DescText), and the context
// that RunAll takes. Boxes go through host; the run will use files.
PreparedRun PrepareRun(Host& host, FileLayer& files, const RunRequest& request);

}  // namespace kadrel
