#include "core/file_routines.h"

#include <filesystem>

#include "core/engine_loop.h"
#include "core/file_naming.h"
#include "core/run_context.h"

namespace kadrel {

namespace {

constexpr const char* kCR = "\r";

void ShowBox(RunContext& ctx, const std::string& text) {
  MessageBoxRequest box;
  box.text = text;
  ctx.host.showMessage(box);
}

void ShowCopyFailure(RunContext& ctx, const std::string& source, const std::string& destination,
                     const std::string& error) {
  ShowBox(ctx, std::string("ファイルバックアップ処理でエラーが発生しました") + kCR + "元[ " +
                   source + "]" + kCR + "先[ " + destination + "]" + kCR + error);
}

// Two names of one file (the same path, or links to one file).
bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

bool Open(RunContext& ctx, const std::string& input, const std::string& output, bool append) {
  ctx.closeAll();
  Opened<InputFile> in = ctx.files.openRead(input);
  if (!in) {
    ShowOpenFailureBox(ctx, input, in.status.text);
    return false;
  }
  // Opening the output would empty the input it is read from.
  if (SameFile(input, output)) {
    ShowOpenFailureBox(ctx, output, kSameFileText);
    return false;
  }
  Opened<OutputFile> out = ctx.files.openWrite(output, append);
  if (!out) {
    ShowOpenFailureBox(ctx, output, out.status.text);
    return false;
  }
  const FileEncoding read = ctx.readEncoding(), write = ctx.writeEncoding();
  ctx.in = std::make_unique<LineReader>(DecodedInput(std::move(in.file), read), read.codePage,
                                        ctx.lineBufferSize);
  ctx.out = std::make_unique<LineWriter>(EncodedOutput(std::move(out.file), write), write.codePage,
                                         ctx.lineBufferSize);
  // A file written anew starts with the byte order mark of its encoding.
  if (!append && write.bom && !ctx.out->writeRaw(kUtf8ByteOrderMark)) {
    ShowOpenFailureBox(ctx, output, ctx.out->error().text);
    ctx.closeAll();
    return false;
  }
  return true;
}

}  // namespace

void ShowOpenFailureBox(RunContext& ctx, const std::string& path, const std::string& error) {
  ShowBox(ctx, std::string("ファイルオープンでエラーが発生しました") + kCR + "[ " + path + "]" +
                   kCR + error + kCR + "処理を飛ばします");
}

std::string MakeBackup(RunContext& ctx, const std::string& source) {
  std::string destination = MakeOutName(ctx, source, "bk");
  // Never copy a file onto itself (both backup affixes empty) nor onto another listed
  // file (listed beside its namesake, or the affixes changed after the drop).
  if (SameFile(source, destination) || ctx.isListedTarget(destination)) {
    ShowCopyFailure(ctx, source, destination, kSameFileText);
    return "";
  }
  // An earlier backup copy goes only when there is a file to take its place: it may
  // be all that is left of a target deleted since it was listed.
  if (ctx.files.exists(source)) DeleteQuietly(ctx, destination);
  FileStatus status = ctx.files.copyFile(source, destination);
  if (!status.ok()) {
    ShowCopyFailure(ctx, source, destination, status.text);
    return "";
  }
  return destination;
}

bool CopyOver(RunContext& ctx, const std::string& source, const std::string& destination) {
  FileStatus status =
      SameFile(source, destination) ? FileStatus{} : ctx.files.copyFile(source, destination);
  if (status.ok()) return true;
  ShowCopyFailure(ctx, source, destination, status.text);
  return false;
}

bool RestoreFile(RunContext& ctx, const std::string& backup, const std::string& target) {
  FileStatus status = ctx.files.copyFile(backup, target);
  if (status.ok()) return true;
  ShowBox(ctx, std::string("ファイル復旧処理でエラーが発生しました") + kCR + "復旧[ " + target +
                   "]" + kCR + status.text + kCR + "処理を飛ばします");
  return false;
}

bool OpenInOut(RunContext& ctx, const std::string& input, const std::string& output) {
  return Open(ctx, input, output, false);
}

bool OpenInAppend(RunContext& ctx, const std::string& input, const std::string& output) {
  return Open(ctx, input, output, true);
}

bool CreateEmpty(RunContext& ctx, const std::string& path) {
  Opened<OutputFile> out = ctx.files.openWrite(path, false);
  const FileEncoding encoding = ctx.writeEncoding();
  const std::string_view bom = encoding.bom ? kUtf8ByteOrderMark : "";
  if (out) out.file = EncodedOutput(std::move(out.file), encoding);
  if (out && out.file->write(bom.data(), bom.size()) && out.file->close()) return true;
  ShowOpenFailureBox(ctx, path, out ? out.file->lastError().text : out.status.text);
  return false;
}

void ShowUnixNewlineBox(RunContext& ctx, const std::string& path) {
  ShowBox(ctx, std::string("ＵＮＩＸ形式の改行コードを検出しました。処理を飛ばします。") + kCR +
                   "[ " + path + " ]");
}

bool AdoptEncoding(RunContext& ctx, const std::string& path, const EncodedInput& encoded) {
  if (!encoded.file) {
    ShowOpenFailureBox(ctx, path, encoded.error.text);
    return false;
  }
  if (!encoded.guess) return true;
  ctx.targetEncoding = ctx.outputEncoding = encoded.encoding;
  ctx.host.showCodePage(path, DescribeGuess(*encoded.guess));
  return true;
}

bool ChooseTargetEncoding(RunContext& ctx, const std::string& path) {
  if (!ctx.options.codePage.automatic) return true;
  Opened<InputFile> file = ctx.files.openRead(path);
  if (!file) {
    ShowOpenFailureBox(ctx, path, file.status.text);
    return false;
  }
  return AdoptEncoding(ctx, path, ReadEncoding(std::move(file.file), ctx.options.codePage));
}

bool CheckUnixNewline(RunContext& ctx, const std::string& path) {
  Opened<InputFile> file = ctx.files.openRead(path);
  if (!file) {
    ShowOpenFailureBox(ctx, path, file.status.text);
    return false;
  }
  const FileEncoding encoding = ctx.readEncoding();
  LineReader reader(DecodedInput(std::move(file.file), encoding), encoding.codePage,
                    ctx.lineBufferSize);
  bool hasLf = false;
  bool ok = reader.atEnd() || reader.readPieces([&](std::string_view piece) {
    hasLf = hasLf || piece.find('\n') != std::string_view::npos;
  });
  if (!ok || !reader.error().ok()) {
    ShowOpenFailureBox(ctx, path, reader.error().text);
    return false;
  }
  if (hasLf) {
    ShowUnixNewlineBox(ctx, path);
    return false;
  }
  return true;
}

void CloseRunFiles(RunContext& ctx, const std::string& writePath) {
  if (ctx.out && !ctx.out->close() && !ctx.ErrFlag) {
    ShowFileErrorBox(ctx, "File Write Error", ctx.out->error(), writePath);
    ctx.ErrFlag = true;
  }
  ctx.closeAll();
}

void DeleteQuietly(RunContext& ctx, const std::string& path) {
  ctx.files.removeFile(path);
}

}  // namespace kadrel
