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
  TargetJob(RunState& run, JobPlan& plan, size_t index)
      : run_(run),
        plan_(plan),
        index_(index),
        path_(run.ctx.targets.at(index)),
        report_(run.report.targets.at(index)) {}

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
    ShowOpenFailureBox(run_.host, path_, source.status().text);
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
    run_.host.showCodePage(path_, shown);
  }
  // The texts of every step meet the target's code page here.
  for (RunnableStep& step : plan_.steps) {
    if (!step.writableFor(run_.host, encoding_.codePage, run_.ctx.multiLineReplacement, path_)) {
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
      ShowUnixNewlineBox(run_.host, path_);
      return StepEnd::Skipped;
    case TextSource::FirstLine::Failed:
      break;
  }
  if (text.status().code == ECANCELED) return StepEnd::Cancelled;
  ShowOpenFailureBox(run_.host, path_, text.status().text);
  return StepEnd::Failed;
}

StepEnd TargetJob::runEngine(RunnableStep& step, TextSource& text,
                             std::unique_ptr<OutputFile> output, const FileEncoding& encoding,
                             bool fresh, const std::string& writePath) {
  Opened<InputFile> content = text.content();
  if (!content) {
    ShowOpenFailureBox(run_.host, path_, content.status.text);
    return StepEnd::Skipped;
  }
  const RunContext& ctx = run_.ctx;
  EngineIo io(run_.host, ctx.CancelFlag);
  io.options = run_.engineOptions();
  io.readPath = path_;
  io.writePath = writePath;
  io.in = std::make_unique<LineReader>(std::move(content.file), text.encoding().codePage,
                                       ctx.lineBufferSize);
  io.out = std::make_unique<LineWriter>(EncodedOutput(std::move(output), encoding),
                                        encoding.codePage, ctx.lineBufferSize);
  if (fresh && encoding.bom && !io.out->writeRaw(kUtf8ByteOrderMark)) {
    ShowOpenFailureBox(run_.host, path_, io.out->error().text);
    return StepEnd::Skipped;
  }
  step.run(io, text.encoding().codePage, ctx.multiLineReplacement);
  // A failure to flush or close the output is a write failure of the engine.
  if (io.out && !io.out->close() && !io.ErrFlag) {
    ShowWriteFailure(run_.host, io.out->error(), writePath);
    io.ErrFlag = true;
  }
  io.closeAll();
  if (io.unwritable) {
    ShowJointUnwritableBox(run_.host, path_, encoding.codePage, *io.unwritable);
    return StepEnd::LeftOut;
  }
  if (io.ErrFlag) return StepEnd::Failed;
  if (cancelled()) return StepEnd::Cancelled;
  nothingReplaced_ = !io.ChangedFlag;
  return StepEnd::Done;
}

void TargetJob::processFile() {
  const bool rewrites = plan_.output == JobPlan::Output::Replacement;
  Opened<TargetFile> opened = OpenTarget(run_, index_, rewrites);
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
    ShowBinaryFileBox(run_.host, path_);
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
      ShowUndecidedSkipBox(run_.host, path_, encoding_.codePage, *rival_);
      leave(TargetOutcome::Skipped);
      return false;
    case Comparison::Failed:
      break;
  }
  FileStatus error = !before ? before.status : !after ? after.status : before.file->lastError();
  if (error.ok() && after) error = after.file->lastError();
  ShowOpenFailureBox(run_.host, path_, error.text);
  leave(TargetOutcome::Failed);
  return false;
}

void TargetJob::tellUndecidedExtraction() {
  if (rival_) ShowUndecidedExtractionBox(run_.host, path_, encoding_.codePage, *rival_);
}

StepEnd TargetJob::rewriteStep(RunnableStep& step, std::unique_ptr<NewFile>& present) {
  TextSource text = openText(present.get());
  if (const StepEnd checked = checkFirstLine(text, step); checked != StepEnd::Done) return checked;
  std::unique_ptr<NewFile> output = CreateReplacement(run_, *target_, path_);
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
    backup = BackupName(run_, index_);
    if (!backup) return leave(TargetOutcome::Skipped);
  }
  std::unique_ptr<NewFile> present;  // the last step's output
  const size_t steps = plan_.steps.size();
  for (size_t j = 0; j < steps; ++j) {
    RunnableStep& step = plan_.steps[j];
    if (plan_.combo) {
      run_.host.setProgress({ComboProgressText(run_.ctx, index_, j, steps),
                             static_cast<int>(index_), static_cast<int>(run_.ctx.targets.size()),
                             static_cast<int>(j), static_cast<int>(steps)});
    }
    const StepEnd end =
        step.rewrites() || step.extracts() ? rewriteStep(step, present) : StepEnd::Skipped;
    if (plan_.combo) run_.host.yield();
    // A file whose steps were interrupted or failed keeps its previous content.
    if (cancelled()) return;
    if (end == StepEnd::Failed) return leave(TargetOutcome::Failed);
  }
  // A replacement that found nothing (UpdateNoFile off) leaves the file as it was.
  if (!plan_.combo && nothingReplaced_) return leave(TargetOutcome::Unchanged);
  if (!present) return leave(TargetOutcome::Skipped);
  if (!safeToWrite(*present)) return;
  run_.finished.addReplacement(index_, std::move(target_), std::move(present), std::move(backup));
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
      CreateResult(run_, ctx.derivedName(index_, path), *target_, path_);
  if (!result) return leave(TargetOutcome::Failed);
  // A failed or cancelled extraction leaves the previous result.
  const StepEnd end = runEngine(step, text, result->output(), encoding_, true, path);
  if (end == StepEnd::Cancelled) return;
  if (end != StepEnd::Done) return leave(TargetOutcome::Failed);
  tellUndecidedExtraction();
  run_.finished.addResult({index_}, std::move(result), path);
}

void TargetJob::extractInto(RunnableStep& step, TextSource& text, JointResult& joint) {
  const RunContext& ctx = run_.ctx;
  const std::string path = MakeOutName(ctx.options, ctx.targets.front(), OutName::Result);
  const bool fresh = !joint.file;
  if (fresh) {
    joint.file = CreateResult(run_, ctx.derivedName(0, path), *target_, path_);
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
    ShowFileErrorBox(run_.host, "File Read Error", content.status, path_);
    return leave(TargetOutcome::Failed);
  }
  const bool marked =
      !encoding_.bom || out.write(kUtf8ByteOrderMark.data(), kUtf8ByteOrderMark.size());
  const CopyResult copied = marked ? CopyAll(*content.file, out) : CopyResult::WriteFailed;
  if (copied == CopyResult::Copied) return;
  if (copied == CopyResult::ReadFailed) {
    ShowFileErrorBox(run_.host, "File Read Error", content.file->lastError(), path_);
  } else {
    ShowWriteFailure(run_.host, out.lastError(), path_);
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
    ShowFileErrorBox(run_.host, "File Read Error", text.status(), path_);
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
  if (binary) ShowBinaryFileBox(run_.host, path_);
  if (bareLf) ShowUnixNewlineBox(run_.host, path_);
  if (undecided) ShowUndecidedSkipBox(run_.host, path_, encoding_.codePage, *rival_);
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
  TargetJob(run, plan, index).processFile();
  run.host.clearTarget();
}

void ProcessStream(RunState& run, JobPlan& plan, std::unique_ptr<InputFile> input,
                   std::unique_ptr<OutputFile> output) {
  run.host.setTarget(0);
  TargetJob(run, plan, 0).processStream(std::move(input), std::move(output));
  run.host.clearTarget();
}

}  // namespace kadrel
