#include "core/file_routines.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

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

// Two names of one file (the same path, a link to it, a name the file system
// folds to it). Two hard links of one file are two names: a backup that a run
// killed between keeping it and replacing its target shares the target's file,
// and the next backup takes its name as it would any backup's.
bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ec;
  if (!std::filesystem::equivalent(a, b, ec) || ec) return false;
  struct stat sa, sb;
  const bool twoLinks = ::lstat(a.c_str(), &sa) == 0 && ::lstat(b.c_str(), &sb) == 0 &&
                        S_ISREG(sa.st_mode) && S_ISREG(sb.st_mode) && sa.st_nlink > 1;
  return !twoLinks;
}

// A derived name that would write over the target or another listed file.
bool OverListedFile(const RunContext& ctx, const std::string& path) {
  return SameFile(ctx.TargetPath, path) || ctx.isListedTarget(path);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// A link or something other than a file at a name the run writes is never
// written over: false after the open-error box. Other failures (a missing
// folder) show where the name is used.
bool UsableName(RunContext& ctx, const DropPath& name) {
  const FileStatus status = ctx.files.checkNewName(name);
  if (status.code != kErrLinkAtName && status.code != kErrNotRegularFile && status.code != EISDIR)
    return true;
  ShowOpenFailureBox(ctx, name.path, status.text);
  return false;
}

void RemoveLeftoversOnce(RunContext& ctx, const DropPath& folder) {
  if (ctx.cleanedFolders.insert(folder.path).second) ctx.files.removeLeftovers(folder);
}

// Reads stop with ECANCELED once the run is cancelled, so that a cancel is heard
// within one buffer however long a line is.
class CancellableInput : public InputFile {
 public:
  CancellableInput(std::unique_ptr<InputFile> file, const std::atomic<bool>& cancel)
      : file_(std::move(file)), cancel_(cancel) {}
  long read(char* buffer, size_t n) override {
    if (cancel_.load()) {
      cancelled_ = true;
      return -1;
    }
    return file_->read(buffer, n);
  }
  FileStatus lastError() const override {
    return cancelled_ ? StatusFromErrno(ECANCELED) : file_->lastError();
  }

 private:
  std::unique_ptr<InputFile> file_;
  const std::atomic<bool>& cancel_;
  bool cancelled_ = false;
};

}  // namespace

void ShowOpenFailureBox(RunContext& ctx, const std::string& path, const std::string& error) {
  ShowBox(ctx, std::string("ファイルオープンでエラーが発生しました") + kCR + "[ " + path + "]" +
                   kCR + error + kCR + "処理を飛ばします");
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

bool ChooseTargetEncoding(RunContext& ctx, TargetFile& target) {
  if (!ctx.options.codePage.automatic) return true;
  Opened<InputFile> content = target.read();
  if (!content) {
    ShowOpenFailureBox(ctx, ctx.TargetPath, content.status.text);
    return false;
  }
  return AdoptEncoding(ctx, ctx.TargetPath,
                       ReadEncoding(std::move(content.file), ctx.options.codePage));
}

std::unique_ptr<TargetFile> OpenTarget(RunContext& ctx, size_t index, bool forWriting) {
  const DropPath name = ctx.targetName(index);
  RemoveLeftoversOnce(ctx, {FolderOf(name.path), name.scanRoot});
  Opened<TargetFile> target = ctx.files.openTarget(name, forWriting, ctx.processedFiles);
  if (!target) {
    if (target.status.code != kErrAlreadyDone)
      ShowOpenFailureBox(ctx, name.path, target.status.text);
    return nullptr;
  }
  ctx.processedFiles.insert(target.file->id());
  RemoveLeftoversOnce(ctx, {target.file->folder(), name.scanRoot});
  return std::move(target.file);
}

bool CheckUnixNewline(RunContext& ctx, Opened<InputFile> content) {
  if (!content) {
    ShowOpenFailureBox(ctx, ctx.TargetPath, content.status.text);
    return false;
  }
  // As the engine will see it: in its code page, without a byte order mark.
  const std::unique_ptr<InputFile> file =
      DecodedInput(std::make_unique<CancellableInput>(std::move(content.file), ctx.CancelFlag),
                   ctx.readEncoding());
  // The first line ends at its CR; an LF before it is a UNIX line end.
  std::vector<char> buffer(std::max<size_t>(ctx.lineBufferSize, 1));
  for (;;) {
    const long n = file->read(buffer.data(), buffer.size());
    if (n == 0) return true;
    if (n < 0) {
      const FileStatus error = file->lastError();
      if (error.code != ECANCELED) ShowOpenFailureBox(ctx, ctx.TargetPath, error.text);
      return false;
    }
    const size_t size = static_cast<size_t>(n);
    const char* cr = static_cast<const char*>(std::memchr(buffer.data(), '\r', size));
    const size_t end = cr == nullptr ? size : static_cast<size_t>(cr - buffer.data());
    if (std::memchr(buffer.data(), '\n', end) != nullptr) {
      ShowUnixNewlineBox(ctx, ctx.TargetPath);
      return false;
    }
    if (cr != nullptr) return true;
  }
}

std::optional<DropPath> BackupName(RunContext& ctx, size_t index) {
  const DropPath name = ctx.derivedName(index, MakeOutName(ctx, ctx.TargetPath, "bk"));
  if (!UsableName(ctx, name)) return std::nullopt;
  // Never a copy onto the file itself (both backup affixes empty) nor onto another
  // listed file (listed beside its namesake, or the affixes changed after the drop).
  if (OverListedFile(ctx, name.path)) {
    ShowCopyFailure(ctx, ctx.TargetPath, name.path, kSameFileText);
    return std::nullopt;
  }
  return name;
}

std::unique_ptr<NewFile> CreateReplacement(RunContext& ctx, TargetFile& target) {
  Opened<NewFile> created = ctx.files.createReplacement(target);
  if (!created) ShowOpenFailureBox(ctx, ctx.TargetPath, created.status.text);
  return std::move(created.file);
}

std::unique_ptr<NewFile> CreateResult(RunContext& ctx, const DropPath& name,
                                      const TargetFile& source) {
  if (!UsableName(ctx, name)) return nullptr;
  if (OverListedFile(ctx, name.path)) {
    ShowOpenFailureBox(ctx, name.path, kSameFileText);
    return nullptr;
  }
  Opened<NewFile> created = ctx.files.createFile(name, &source.attributes());
  if (!created) ShowOpenFailureBox(ctx, name.path, created.status.text);
  return std::move(created.file);
}

bool OpenInOut(RunContext& ctx, Opened<InputFile> input, NewFile& output) {
  ctx.closeAll();
  if (!input) {
    ShowOpenFailureBox(ctx, ctx.TargetPath, input.status.text);
    return false;
  }
  const FileEncoding read = ctx.readEncoding(), write = ctx.writeEncoding();
  ctx.in = std::make_unique<LineReader>(
      DecodedInput(std::make_unique<CancellableInput>(std::move(input.file), ctx.CancelFlag), read),
      read.codePage, ctx.lineBufferSize);
  const bool fresh = output.size() == 0;
  ctx.out = std::make_unique<LineWriter>(EncodedOutput(output.output(), write), write.codePage,
                                         ctx.lineBufferSize);
  // A file written anew starts with the byte order mark of its encoding.
  if (fresh && write.bom && !ctx.out->writeRaw(kUtf8ByteOrderMark)) {
    ShowOpenFailureBox(ctx, ctx.TargetPath, ctx.out->error().text);
    ctx.closeAll();
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

bool CommitReplacement(RunContext& ctx, TargetFile& target, NewFile& replacement,
                       const std::string& listedPath, const std::optional<DropPath>& backup) {
  const ReplaceOutcome outcome =
      ReplaceTarget(ctx.files, target, replacement, backup ? &*backup : nullptr);
  if (!outcome.backup.ok()) {
    ShowCopyFailure(ctx, listedPath, backup->path, outcome.backup.text);
    return false;
  }
  if (!outcome.replace.ok()) {
    ShowWriteFailure(ctx, outcome.replace, listedPath);
    return false;
  }
  // The name now leads to the new file: reached again, it is not processed twice.
  ctx.processedFiles.insert(replacement.id());
  return true;
}

bool CommitResult(RunContext& ctx, NewFile& result, const std::string& path) {
  const FileStatus status = result.commit();
  if (!status.ok()) ShowWriteFailure(ctx, status, path);
  return status.ok();
}

void ShowWriteFailure(RunContext& ctx, const FileStatus& status, const std::string& path) {
  ShowFileErrorBox(ctx, "File Write Error", status, path);
}

}  // namespace kadrel
