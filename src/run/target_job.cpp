#include "run/target_job.h"

#include <cerrno>
#include <optional>
#include <tuple>

#include "core/engine_loop.h"
#include "core/file_naming.h"
#include "io/streams.h"
#include "io/text_source.h"
#include "run/file_routines.h"
#include "run/text_boxes.h"

namespace kadrel {

RunState::RunState(RunContext& ctx, RunReport& report)
    : ctx(ctx), report(report), host(ctx.host, report), finished(*this) {
  listed_.insert(ctx.targets.begin(), ctx.targets.end());
  report.targets.resize(ctx.targets.size());
  for (size_t i = 0; i < ctx.targets.size(); ++i) report.targets[i].path = ctx.targets[i];
}

EngineOptions RunState::engineOptions() const {
  const RunOptions& o = ctx.options;
  EngineOptions options;
  options.caseSensitive = o.CompMode != 0;
  options.updateNoFile = o.UpdateNoFile == 1;
  options.resultHeaders = !ctx.ComboRun && o.SelAddSts == 0;
  options.lineNumbers = o.AddLineNo == 1;
  options.resultSeparator = o.SelFile == 1 && ctx.targets.size() > 1;
  options.fastPaths = ctx.fastPaths;
  return options;
}

namespace {

std::string ComboProgressText(const RunContext& ctx, size_t file, size_t step, size_t steps) {
  return ctx.DescText + "処理中です...\r\nFILE ( " + std::to_string(file + 1) + " / " +
         std::to_string(ctx.targets.size()) + " )\r\nCOMBO!! ( " + std::to_string(step + 1) +
         " / " + std::to_string(steps) + " )";
}

// Failures to open a target that leave it alone on purpose rather than by an error.
bool SkipsOnPurpose(int code) {
  return code == kErrAlreadyDone || code == kErrLocked || code == kErrLinkAtName ||
         code == kErrNotRegularFile || code == kErrOwnerNotKept || code == kErrFolderReplaced;
}

// How one step over a target ended.
enum class StepEnd {
  Done,       // its output is complete
  Skipped,    // left out after its box (a bare LF; an output that did not open)
  LeftOut,    // left out of the joint result after its box: it cannot hold a character
  Failed,     // a failure, after its box: the target keeps its content
  Cancelled,  // the run was cancelled
};

// One target (a listed file, or standard input) through the plan.
class TargetJob {
 public:
  TargetJob(RunState& run, JobPlan& plan, size_t index, JobOutlet& out)
      : run_(run),
        plan_(plan),
        index_(index),
        path_(run.ctx.targets.at(index)),
        out_(out),
        host_(out.host),
        report_(out.report) {}

  void processFile();
  void processStream(std::unique_ptr<InputFile> input, std::unique_ptr<OutputFile> output);

 private:
  bool cancelled() const { return run_.ctx.CancelFlag.load(); }
  void leave(TargetOutcome outcome) { report_.outcome = outcome; }

  // Takes the target's encoding from source (told to the host with "auto") and
  // checks that every step's texts fit it. False after a box.
  bool adoptEncoding(const TextSource& source);
  // How the target's texts are read: reads stop at a cancel; fromTarget, they can
  // start anew from the target.
  TextSource::Options readOptions(bool fromTarget);
  // The text the next step reads: the target's content, or the last step's output.
  TextSource openText(NewFile* present);
  // The first-line check of a step's input.
  StepEnd checkFirstLine(TextSource& text, const RunnableStep& step);
  // The step's engine over text into output, written in encoding (fresh: the
  // output starts with the encoding's byte order mark). Skipped when the files
  // did not open.
  StepEnd runEngine(RunnableStep& step, TextSource& text, std::unique_ptr<OutputFile> output,
                    const FileEncoding& encoding, bool fresh, const std::string& writePath);

  void rewriteFile();
  StepEnd rewriteStep(RunnableStep& step, std::unique_ptr<NewFile>& present);
  // True when the code page is known, or when present holds the target's very
  // bytes: what a run writes on a guess it cannot stand behind. False after its
  // box.
  bool safeToWrite(NewFile& present);
  // An extraction from a file whose code page is not known says what it took.
  void tellUndecidedExtraction();
  void extractFile();
  void extractInto(RunnableStep& step, TextSource& text, JointResult& joint);
  void copyThrough(TextSource& text, OutputFile& out);

  RunState& run_;
  JobPlan& plan_;
  const size_t index_;
  const std::string path_;  // as listed (TargetPath)
  JobOutlet& out_;
  Host& host_;
  TargetReport& report_;
  std::unique_ptr<TargetFile> target_;
  std::optional<TextSource> source_;  // the target's content, opened for its encoding
  FileEncoding encoding_;
  // With "auto": the code page that reads the target about as well as its own
  // (the guess did not settle it).
  std::optional<CodePage> rival_;
  bool nothingReplaced_ = false;  // a replacement found nothing, UpdateNoFile off
};

bool TargetJob::adoptEncoding(const TextSource& source) {
  if (!source.ok()) {
    // A cancel heard while its first bytes were read leaves it unreached.
    if (source.status().code == ECANCELED) return false;
    ShowOpenFailureBox(host_, path_, source.status().text);
    leave(TargetOutcome::Failed);
    return false;
  }
  encoding_ = source.encoding();
  if (!run_.ctx.options.codePage.automatic) return true;
  if (source.guess()) {
    const CodePageGuess& guess = *source.guess();
    rival_ = guess.rival;
    std::string shown = DescribeGuess(guess);
    if (rival_) shown += std::string("（") + CodePageName(*rival_) + " かもしれません）";
    if (source.binary()) shown += "（バイナリ）";
    host_.showCodePage(path_, shown);
  }
  // The texts of every step meet the target's code page here.
  for (RunnableStep& step : plan_.steps) {
    if (!step.writableFor(host_, encoding_.codePage, run_.ctx.multiLineReplacement, path_)) {
      leave(TargetOutcome::Skipped);
      return false;
    }
  }
  return true;
}

TextSource::Options TargetJob::readOptions(bool fromTarget) {
  TextSource::Options options;
  options.cancel = &run_.ctx.CancelFlag;
  if (fromTarget) options.reopen = [this] { return target_->read(); };
  return options;
}

TextSource TargetJob::openText(NewFile* present) {
  if (present != nullptr) return TextSource::Open(present->read(), encoding_, readOptions(false));
  if (source_) {
    TextSource first = std::move(*source_);
    source_.reset();
    return first;
  }
  return TextSource::Open(target_->read(), encoding_, readOptions(true));
}

StepEnd TargetJob::checkFirstLine(TextSource& text, const RunnableStep& step) {
  // A bare LF is what line-end conversion is there for.
  if (step.mode() == StepMode::ConvertNewline) return StepEnd::Done;
  switch (text.firstLine()) {
    case TextSource::FirstLine::Ends:
      return StepEnd::Done;
    case TextSource::FirstLine::BareLf:
      ShowUnixNewlineBox(host_, path_);
      return StepEnd::Skipped;
    case TextSource::FirstLine::Failed:
      break;
  }
  if (text.status().code == ECANCELED) return StepEnd::Cancelled;
  ShowOpenFailureBox(host_, path_, text.status().text);
  return StepEnd::Failed;
}

StepEnd TargetJob::runEngine(RunnableStep& step, TextSource& text,
                             std::unique_ptr<OutputFile> output, const FileEncoding& encoding,
                             bool fresh, const std::string& writePath) {
  Opened<InputFile> content = text.content();
  if (!content) {
    ShowOpenFailureBox(host_, path_, content.status.text);
    return StepEnd::Skipped;
  }
  const RunContext& ctx = run_.ctx;
  EngineIo io(host_, ctx.CancelFlag);
  io.options = run_.engineOptions();
  io.readPath = path_;
  io.writePath = writePath;
  io.in = std::make_unique<LineReader>(std::move(content.file), text.encoding().codePage,
                                       ctx.lineBufferSize);
  io.out = std::make_unique<LineWriter>(EncodedOutput(std::move(output), encoding),
                                        encoding.codePage, ctx.lineBufferSize);
  if (fresh && encoding.bom && !io.out->writeRaw(kUtf8ByteOrderMark)) {
    ShowOpenFailureBox(host_, path_, io.out->error().text);
    return StepEnd::Skipped;
  }
  step.run(io, text.encoding().codePage, ctx.multiLineReplacement);
  // A failure to flush or close the output is a write failure of the engine.
  if (io.out && !io.out->close() && !io.ErrFlag) {
    ShowWriteFailure(host_, io.out->error(), writePath);
    io.ErrFlag = true;
  }
  io.closeAll();
  if (io.unwritable) {
    ShowJointUnwritableBox(host_, path_, encoding.codePage, *io.unwritable);
    return StepEnd::LeftOut;
  }
  if (io.ErrFlag) return StepEnd::Failed;
  if (cancelled()) return StepEnd::Cancelled;
  nothingReplaced_ = !io.ChangedFlag;
  return StepEnd::Done;
}

void TargetJob::processFile() {
  const bool rewrites = plan_.output == JobPlan::Output::Replacement;
  Opened<TargetFile> opened;
  const auto open = [&] { opened = OpenTarget(run_, host_, index_, rewrites); };
  if (!out_.inOrder) {
    open();
  } else if (!out_.inOrder(open)) {
    return;  // the run stopped before the target's turn
  }
  if (!opened) {
    leave(SkipsOnPurpose(opened.status.code) ? TargetOutcome::Skipped : TargetOutcome::Failed);
    if (report_.reason.empty()) report_.reason = opened.status.text;
    return;
  }
  target_ = std::move(opened.file);
  source_ = TextSource::Open(target_->read(), run_.ctx.options.codePage, readOptions(true));
  if (!adoptEncoding(*source_)) return;
  if (!rewrites) return extractFile();
  // Lines and line ends mean nothing in a binary file: a rewriting step leaves it
  // alone (an extraction reads it as text, as grep -a would).
  if (source_->binary()) {
    ShowBinaryFileBox(host_, path_);
    return leave(TargetOutcome::Skipped);
  }
  rewriteFile();
}

bool TargetJob::safeToWrite(NewFile& present) {
  if (!rival_) return true;
  Opened<InputFile> before = target_->read();
  Opened<InputFile> after = present.read();
  Comparison comparison = Comparison::Failed;
  if (before && after) comparison = CompareAll(*before.file, *after.file);
  switch (comparison) {
    case Comparison::Same:
      return true;
    case Comparison::Different:
      ShowUndecidedSkipBox(host_, path_, encoding_.codePage, *rival_);
      leave(TargetOutcome::Skipped);
      return false;
    case Comparison::Failed:
      break;
  }
  FileStatus error = !before ? before.status : !after ? after.status : before.file->lastError();
  if (error.ok() && after) error = after.file->lastError();
  ShowOpenFailureBox(host_, path_, error.text);
  leave(TargetOutcome::Failed);
  return false;
}

void TargetJob::tellUndecidedExtraction() {
  if (rival_) ShowUndecidedExtractionBox(host_, path_, encoding_.codePage, *rival_);
}

StepEnd TargetJob::rewriteStep(RunnableStep& step, std::unique_ptr<NewFile>& present) {
  TextSource text = openText(present.get());
  if (const StepEnd checked = checkFirstLine(text, step); checked != StepEnd::Done) return checked;
  std::unique_ptr<NewFile> output = CreateReplacement(run_, host_, *target_, path_);
  StepEnd end = StepEnd::Skipped;
  if (output) end = runEngine(step, text, output->output(), encoding_, true, path_);
  if (end == StepEnd::Done) present = std::move(output);
  // A rewriting step whose files did not open fails the file; an extraction step
  // (in a COMBO!! run) is left out.
  if (end == StepEnd::Skipped && step.rewrites()) return StepEnd::Failed;
  return end;
}

void TargetJob::rewriteFile() {
  std::optional<DropPath> backup;
  if (plan_.combo || run_.ctx.options.BkupEdit == 1) {
    backup = BackupName(run_, host_, index_);
    if (!backup) return leave(TargetOutcome::Skipped);
  }
  std::unique_ptr<NewFile> present;  // the last step's output
  const size_t steps = plan_.steps.size();
  for (size_t j = 0; j < steps; ++j) {
    RunnableStep& step = plan_.steps[j];
    if (plan_.combo) {
      host_.setProgress({ComboProgressText(run_.ctx, index_, j, steps), static_cast<int>(index_),
                         static_cast<int>(run_.ctx.targets.size()), static_cast<int>(j),
                         static_cast<int>(steps)});
    }
    const StepEnd end =
        step.rewrites() || step.extracts() ? rewriteStep(step, present) : StepEnd::Skipped;
    if (plan_.combo) host_.yield();
    // A file whose steps were interrupted or failed keeps its previous content.
    if (cancelled()) return;
    if (end == StepEnd::Failed) return leave(TargetOutcome::Failed);
  }
  // A replacement that found nothing (UpdateNoFile off) leaves the file as it was.
  if (!plan_.combo && nothingReplaced_) return leave(TargetOutcome::Unchanged);
  if (!present) return leave(TargetOutcome::Skipped);
  if (!safeToWrite(*present)) return;
  out_.finished.addReplacement(index_, std::move(target_), std::move(present), std::move(backup));
}

void TargetJob::extractFile() {
  RunnableStep& step = plan_.steps.front();
  TextSource text = openText(nullptr);
  switch (checkFirstLine(text, step)) {
    case StepEnd::Done:
      break;
    case StepEnd::Skipped:
    case StepEnd::LeftOut:
      return leave(TargetOutcome::Skipped);
    case StepEnd::Failed:
      return leave(TargetOutcome::Failed);
    case StepEnd::Cancelled:
      return;
  }
  const RunContext& ctx = run_.ctx;
  if (ctx.options.SelFile != 0) return extractInto(step, text, run_.joint);
  const std::string path = MakeOutName(ctx.options, path_, OutName::Result);
  std::unique_ptr<NewFile> result =
      CreateResult(run_, host_, ctx.derivedName(index_, path), *target_, path_);
  if (!result) return leave(TargetOutcome::Failed);
  // A failed or cancelled extraction leaves the previous result.
  const StepEnd end = runEngine(step, text, result->output(), encoding_, true, path);
  if (end == StepEnd::Cancelled) return;
  if (end != StepEnd::Done) return leave(TargetOutcome::Failed);
  tellUndecidedExtraction();
  out_.finished.addResult({index_}, std::move(result), path);
}

void TargetJob::extractInto(RunnableStep& step, TextSource& text, JointResult& joint) {
  const RunContext& ctx = run_.ctx;
  const std::string path = MakeOutName(ctx.options, ctx.targets.front(), OutName::Result);
  const bool fresh = !joint.file;
  if (fresh) {
    joint.file = CreateResult(run_, host_, ctx.derivedName(0, path), *target_, path_);
    joint.path = path;
    joint.encoding = encoding_;
    if (!joint.file) return leave(TargetOutcome::Failed);
  } else {
    joint.file->narrowTo(target_->attributes());
  }
  const uint64_t before = joint.file->size();
  const StepEnd end = runEngine(step, text, joint.file->output(), joint.encoding, fresh, path);
  if (end == StepEnd::Done) {
    tellUndecidedExtraction();
    joint.indexes.push_back(index_);  // settled when the joint file takes its name
    return;
  }
  // A failed, cancelled or refused extraction adds nothing.
  std::ignore = joint.file->truncate(before);
  if (end == StepEnd::LeftOut) return leave(TargetOutcome::Skipped);
  if (end != StepEnd::Cancelled) leave(TargetOutcome::Failed);
}

void TargetJob::copyThrough(TextSource& text, OutputFile& out) {
  Opened<InputFile> content = text.content();
  if (!content) {
    ShowFileErrorBox(host_, "File Read Error", content.status, path_);
    return leave(TargetOutcome::Failed);
  }
  const bool marked =
      !encoding_.bom || out.write(kUtf8ByteOrderMark.data(), kUtf8ByteOrderMark.size());
  const CopyResult copied = marked ? CopyAll(*content.file, out) : CopyResult::WriteFailed;
  if (copied == CopyResult::Copied) return;
  if (copied == CopyResult::ReadFailed) {
    ShowFileErrorBox(host_, "File Read Error", content.file->lastError(), path_);
  } else {
    ShowWriteFailure(host_, out.lastError(), path_);
  }
  leave(TargetOutcome::Failed);
}

void TargetJob::processStream(std::unique_ptr<InputFile> input,
                              std::unique_ptr<OutputFile> output) {
  RunnableStep& step = plan_.steps.front();
  TextSource text =
      TextSource::Open({std::move(input), {}}, run_.ctx.options.codePage, readOptions(false));
  const bool writable = adoptEncoding(text);
  if (!text.ok()) return;
  const TextSource::FirstLine firstLine = text.firstLine();
  if (firstLine == TextSource::FirstLine::Failed) {
    if (text.status().code == ECANCELED) return;
    ShowFileErrorBox(host_, "File Read Error", text.status(), path_);
    return leave(TargetOutcome::Failed);
  }
  std::unique_ptr<OutputFile> out = EncodedOutput(std::move(output), encoding_);
  // What a rewriting step of a file would skip goes through unchanged (the
  // output cannot be held back once written): a binary text, or one whose code
  // page the guess did not settle.
  const bool binary = step.rewrites() && text.binary();
  const bool bareLf = !binary && step.mode() != StepMode::ConvertNewline &&
                      firstLine == TextSource::FirstLine::BareLf;
  const bool undecided = writable && !binary && !bareLf && step.rewrites() && rival_;
  if (binary) ShowBinaryFileBox(host_, path_);
  if (bareLf) ShowUnixNewlineBox(host_, path_);
  if (undecided) ShowUndecidedSkipBox(host_, path_, encoding_.codePage, *rival_);
  if (binary || bareLf || undecided || !writable) {
    leave(TargetOutcome::Skipped);
    // Its bytes go through unchanged: nothing else can keep them.
    if (step.rewrites()) copyThrough(text, *out);
    return;
  }
  const StepEnd end = runEngine(step, text, std::move(out), encoding_, true, path_);
  if (end == StepEnd::Cancelled) return;
  if (end != StepEnd::Done) return leave(TargetOutcome::Failed);
  if (step.extracts()) tellUndecidedExtraction();
  leave(step.extracts()    ? TargetOutcome::Extracted
        : nothingReplaced_ ? TargetOutcome::Unchanged
                           : TargetOutcome::Replaced);
}

}  // namespace

void ProcessTarget(RunState& run, JobPlan& plan, size_t index) {
  run.host.setTarget(index);
  JobOutlet out{run.host, run.report.targets.at(index), run.finished, {}};
  TargetJob(run, plan, index, out).processFile();
  run.host.clearTarget();
}

void ProcessStream(RunState& run, JobPlan& plan, std::unique_ptr<InputFile> input,
                   std::unique_ptr<OutputFile> output) {
  run.host.setTarget(0);
  JobOutlet out{run.host, run.report.targets.at(0), run.finished, {}};
  TargetJob(run, plan, 0, out).processStream(std::move(input), std::move(output));
  run.host.clearTarget();
}

namespace {

// Copies of the plan for the workers, each used by one target at a time (a step
// keeps what it parsed for a code page).
class PlanCopies {
 public:
  explicit PlanCopies(const JobPlan& plan) : plan_(plan) {}
  std::unique_ptr<JobPlan> take() {
    std::lock_guard lock(m_);
    if (free_.empty()) return std::make_unique<JobPlan>(plan_);
    std::unique_ptr<JobPlan> copy = std::move(free_.back());
    free_.pop_back();
    return copy;
  }
  void give(std::unique_ptr<JobPlan> copy) {
    std::lock_guard lock(m_);
    free_.push_back(std::move(copy));
  }

 private:
  const JobPlan& plan_;
  std::mutex m_;
  std::vector<std::unique_ptr<JobPlan>> free_;
};

// What a worker prepared for one target, until its turn.
struct PreparedTarget {
  TargetReport report;
  HeldFinished finished;
};

// The run's side of the targets' turns.
class TurnsOfRun : public OrderedWork::Presenter {
 public:
  TurnsOfRun(RunState& run, std::vector<PreparedTarget>& prepared,
             const std::function<void(size_t)>& begin, const std::function<bool(size_t)>& end)
      : run_(run), prepared_(prepared), begin_(begin), end_(end) {}

  bool begin(size_t index) override {
    begin_(index);
    // Cancelled as its turn came, it is left as it was, as if reached only then.
    if (run_.ctx.CancelFlag.load()) return false;
    run_.host.setTarget(index);
    return true;
  }
  Host& host() override { return run_.host; }
  bool end(size_t index) override {
    run_.host.clearTarget();
    PreparedTarget& p = prepared_[index];
    TargetReport& report = run_.report.targets[index];
    report.outcome = p.report.outcome;
    if (report.reason.empty()) report.reason = p.report.reason;
    // Cancelled during its turn, it keeps its previous content.
    if (run_.ctx.CancelFlag.load()) return false;
    p.finished.handTo(run_.finished);
    return end_(index);
  }
  void idle() override { run_.host.yield(); }

 private:
  RunState& run_;
  std::vector<PreparedTarget>& prepared_;
  const std::function<void(size_t)>& begin_;
  const std::function<bool(size_t)>& end_;
};

}  // namespace

void ProcessTargetsAhead(RunState& run, const JobPlan& plan,
                         const std::function<void(size_t)>& begin,
                         const std::function<bool(size_t)>& end) {
  const size_t count = run.ctx.targets.size();
  std::vector<PreparedTarget> prepared(count);
  for (size_t i = 0; i < count; ++i) {
    prepared[i].report.path = run.ctx.targets[i];
    prepared[i].finished = HeldFinished(run.ctx.targets[i]);
  }
  PlanCopies plans(plan);
  const auto prepare = [&](size_t index, Host& host, const OrderedWork::InOrder& inOrder) {
    std::unique_ptr<JobPlan> copy = plans.take();
    JobOutlet out{host, prepared[index].report, prepared[index].finished, inOrder};
    TargetJob(run, *copy, index, out).processFile();
    plans.give(std::move(copy));
    prepared[index].finished.complete();
  };
  TurnsOfRun turns(run, prepared, begin, end);
  // Enough prepared ahead that the workers never wait for a batch of commits.
  const size_t workers = run.ctx.workers;
  OrderedWork::Run(count, workers, 4 * workers + 8, prepare, turns, run.ctx.CancelFlag);
  // What was prepared for targets whose turn never came goes here: their new
  // files are removed and the targets unlocked, as they were.
}

}  // namespace kadrel
