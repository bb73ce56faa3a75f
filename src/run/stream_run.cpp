#include "run/stream_run.h"

#include "core/conversions.h"
#include "core/engine_loop.h"
#include "core/file_routines.h"
#include "core/run_context.h"
#include "core/step_mode.h"
#include "io/file_encoding.h"
#include "run/run_driver.h"

namespace kadrel {

namespace {

// Reads in up to the end of its first line (a CR or an LF) into head. True when
// that line holds an LF; false at a CR, at the end, or after a read failure
// (in.lastError() tells).
bool ReadFirstLine(InputFile& in, std::string& head, bool& failed) {
  char buffer[4096];
  for (;;) {
    const size_t at = head.find_first_of("\r\n");
    if (at != std::string::npos) return head[at] == '\n';
    const long n = in.read(buffer, sizeof buffer);
    failed = n < 0;
    if (n <= 0) return false;
    head.append(buffer, static_cast<size_t>(n));
  }
}

// A target skipped for a bare LF in its first line stays as it is: its bytes go
// through unchanged.
void CopyThrough(RunContext& ctx, const std::string& head, InputFile& in, OutputFile& out) {
  std::string bytes = ctx.writeEncoding().bom ? std::string(kUtf8ByteOrderMark) + head : head;
  char buffer[65536];
  for (;;) {
    if (!out.write(bytes.data(), bytes.size())) {
      ShowFileErrorBox(ctx, "File Write Error", out.lastError(), ctx.SelPath);
      ctx.ErrFlag = true;
      return;
    }
    const long n = in.read(buffer, sizeof buffer);
    if (n < 0) {
      ShowFileErrorBox(ctx, "File Read Error", in.lastError(), ctx.TargetPath);
      ctx.ErrFlag = true;
      return;
    }
    if (n == 0) break;
    bytes.assign(buffer, static_cast<size_t>(n));
  }
  if (!out.close()) {
    ShowFileErrorBox(ctx, "File Write Error", out.lastError(), ctx.SelPath);
    ctx.ErrFlag = true;
  }
}

void RunStream(RunContext& ctx, std::unique_ptr<InputFile> input,
               std::unique_ptr<OutputFile> output) {
  const std::optional<StepMode> mode = ModeOfNumber(ReadInteger(ctx.StepArr.modeText()));
  if (!mode || *mode == StepMode::Combo) return;  // no engine: nothing to do
  ctx.ErrFlag = false;
  ctx.TargetPath = ctx.SelPath = ctx.targets.front();
  ctx.host.setProgress({ctx.DescText + "処理中です...", 0, 1, 0, 0});
  EncodedInput encoded = ReadEncoding(std::move(input), ctx.options.codePage);
  if (!AdoptEncoding(ctx, ctx.TargetPath, encoded)) return;
  const FileEncoding encoding = ctx.writeEncoding();
  output = EncodedOutput(std::move(output), encoding);
  std::string head;
  bool failed = false;
  const bool bareLf = ReadFirstLine(*encoded.file, head, failed);
  if (failed) {
    ShowFileErrorBox(ctx, "File Read Error", encoded.file->lastError(), ctx.TargetPath);
    ctx.ErrFlag = true;
    return;
  }
  RunnableStep step(ctx.StepArr);
  const bool unixNewline = bareLf && *mode != StepMode::ConvertNewline;
  if (unixNewline) ShowUnixNewlineBox(ctx, ctx.TargetPath);
  if (unixNewline || !step.writableFor(ctx)) {
    if (RewritesTarget(*mode)) CopyThrough(ctx, head, *encoded.file, *output);
    return;
  }
  ctx.in = std::make_unique<LineReader>(PrefixedInput(std::move(head), std::move(encoded.file)),
                                        encoding.codePage, ctx.lineBufferSize);
  ctx.out = std::make_unique<LineWriter>(std::move(output), encoding.codePage, ctx.lineBufferSize);
  if (encoding.bom && !ctx.out->writeRaw(kUtf8ByteOrderMark)) {
    ShowFileErrorBox(ctx, "File Write Error", ctx.out->error(), ctx.SelPath);
    ctx.ErrFlag = true;
    ctx.closeAll();
    return;
  }
  step.run(ctx);
  CloseRunFiles(ctx, ctx.SelPath);
  ctx.host.setProgress({ctx.DescText + "処理中です...", 1, 1, 0, 0});
}

}  // namespace

void RunOnStreams(RunContext& ctx, std::unique_ptr<InputFile> input,
                  std::unique_ptr<OutputFile> output) {
  RunGuarded(ctx, [&] { RunStream(ctx, std::move(input), std::move(output)); });
}

}  // namespace kadrel
