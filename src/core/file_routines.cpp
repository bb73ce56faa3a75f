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

bool IsListed(const RunContext& ctx, const std::string& path) {
  for (const auto& target : ctx.targets)
    if (target == path) return true;
  return false;
}

bool Open(RunContext& ctx, const std::string& input, const std::string& output, bool append) {
  ctx.closeAll();
  FileStatus status;
  auto in = ctx.files.openRead(input, status);
  if (!in) {
    ShowOpenFailureBox(ctx, input, status.text);
    return false;
  }
  // Opening the output would empty the input it is read from.
  if (SameFile(input, output)) {
    ShowOpenFailureBox(ctx, output, kSameFileText);
    return false;
  }
  auto out = ctx.files.openWrite(output, append, status);
  if (!out) {
    ShowOpenFailureBox(ctx, output, status.text);
    return false;
  }
  const FileEncoding read = ctx.readEncoding(), write = ctx.writeEncoding();
  ctx.in = std::make_unique<LineReader>(DecodedInput(std::move(in), read), read.codePage);
  ctx.out = std::make_unique<LineWriter>(EncodedOutput(std::move(out), write), write.codePage);
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
  if (SameFile(source, destination) || IsListed(ctx, destination)) {
    ShowCopyFailure(ctx, source, destination, kSameFileText);
    return "";
  }
  // An earlier backup copy goes only when there is a file to take its place: it may
  // be all that is left of a target deleted since it was listed.
  if (ctx.files.exists(source)) ctx.files.removeFile(destination);
  FileStatus status = ctx.files.copyFile(source, destination);
  if (!status.ok()) {
    ShowCopyFailure(ctx, source, destination, status.text);
    return "";
  }
  return destination;
}

void CopyOver(RunContext& ctx, const std::string& source, std::string& destination) {
  FileStatus status =
      SameFile(source, destination) ? FileStatus{} : ctx.files.copyFile(source, destination);
  if (!status.ok()) {
    ShowCopyFailure(ctx, source, destination, status.text);
    destination.clear();
  }
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
  FileStatus status;
  auto out = ctx.files.openWrite(path, false, status);
  const FileEncoding encoding = ctx.writeEncoding();
  const std::string_view bom = encoding.bom ? kUtf8ByteOrderMark : "";
  if (out) out = EncodedOutput(std::move(out), encoding);
  if (out && out->write(bom.data(), bom.size()) && out->close()) return true;
  if (out) status = out->lastError();
  ShowOpenFailureBox(ctx, path, status.text);
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
  FileStatus status;
  auto file = ctx.files.openRead(path, status);
  if (!file) {
    ShowOpenFailureBox(ctx, path, status.text);
    return false;
  }
  return AdoptEncoding(ctx, path, ReadEncoding(std::move(file), ctx.options.codePage));
}

bool CheckUnixNewline(RunContext& ctx, const std::string& path) {
  FileStatus status;
  auto file = ctx.files.openRead(path, status);
  if (!file) {
    ShowOpenFailureBox(ctx, path, status.text);
    return false;
  }
  const FileEncoding encoding = ctx.readEncoding();
  LineReader reader(DecodedInput(std::move(file), encoding), encoding.codePage);
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
