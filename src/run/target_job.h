// One target through a run, the same sequence for every kind of run: open and
// lock it, choose its code page, check its first line, make its replacement or
// result, run the step (or every step of a COMBO!! run), then hand what it made on
// to be committed, or leave the target as it was. What differs between a plain
// run, a COMBO!! run and a run over standard input and output is data: the plan.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/engine_io.h"
#include "io/file_encoding.h"
#include "io/file_layer.h"
#include "run/finished_files.h"
#include "run/ordered_work.h"
#include "run/run_context.h"
#include "run/run_report.h"
#include "run/runnable_step.h"

namespace kadrel {

// How every target of a run is treated.
struct JobPlan {
  // Where the steps' output goes.
  enum class Output {
    Replacement,  // the target's new content (rewriting steps, COMBO!!)
    Result,       // a result file of its own, or the joint one (extraction steps)
    Stream,       // standard output (the target is standard input)
  };
  Output output = Output::Replacement;
  // One step, or with combo every step of the step list in turn, each step's
  // output the next one's input: the backup copy is then always kept, the
  // progress counts steps, and a replacement that finds nothing still counts.
  std::vector<RunnableStep> steps;
  bool combo = false;
};

// The joint result file (SelFile): every target's result in list order, named
// after the first list item. It takes its name at the end of the run.
struct JointResult {
  std::unique_ptr<NewFile> file;
  std::string path;
  FileEncoding encoding;        // the first target's written into it
  std::vector<size_t> indexes;  // the list entries extracted into it
};

// What the targets of one run share while it goes on.
struct RunState {
  RunState(RunContext& ctx, RunReport& report);

  RunContext& ctx;
  RunReport& report;
  ReportingHost host;  // the run's boxes, noted per target
  // Files processed (as opened, and as left): a file reached again, listed twice
  // or through a link, is processed once.
  std::set<FileId> processedFiles;
  std::set<std::string> cleanedFolders;   // folders whose leftover temporaries are gone
  std::set<std::string> replacedFolders;  // scanned folders found replaced, told of once
  std::mutex filesLock;                   // guards the three above
  FinishedFiles finished;
  JointResult joint;

  FileLayer& files() { return ctx.files; }
  // True when path is one of the listed targets (a file the run must never write
  // over with a backup copy or a result).
  bool isListed(const std::string& path) const { return listed_.count(path) > 0; }
  // The engines' view of the options.
  EngineOptions engineOptions() const;

 private:
  std::unordered_set<std::string> listed_;
};

// Where one target's job shows what it shows and leaves what it made: the run's
// own host, report and finished files when the targets go one after another; a
// worker's own, handed on at the target's turn, when they are prepared ahead.
struct JobOutlet {
  Host& host;  // its boxes, the code page it is read in, COMBO!! progress
  TargetReport& report;
  FinishedSink& finished;
  // Runs fn (the target's opening) in list order among the targets being
  // prepared; false when the run stopped first. Null: fn runs at once.
  OrderedWork::InOrder inOrder;
};

// List entry index through the plan's steps. (The plan's steps keep what they
// parsed for a code page, for the next target.)
void ProcessTarget(RunState& run, JobPlan& plan, size_t index);

// The targets of a plain or COMBO!! run whose output is each target's own
// (ctx.workers > 1; no joint result file, no stream) prepared by ctx.workers
// workers ahead of their turn and handed on in list order (run/ordered_work.h):
// at each target's turn begin(index) (its progress), then what its job showed,
// then its files given to the finished files and end(index), which returns
// false to stop the run there (a cancel). What was prepared for the targets after
// is dropped, and they are left as they were.
void ProcessTargetsAhead(RunState& run, const JobPlan& plan,
                         const std::function<void(size_t)>& begin,
                         const std::function<bool(size_t)>& end);

// The plan's one step over input (the only list entry) into output. A target the
// step skips for a bare LF in its first line, or for a text its code page cannot
// hold, comes out whole and unchanged (a rewriting step) or not at all (an
// extraction step).
void ProcessStream(RunState& run, JobPlan& plan, std::unique_ptr<InputFile> input,
                   std::unique_ptr<OutputFile> output);

}  // namespace kadrel
