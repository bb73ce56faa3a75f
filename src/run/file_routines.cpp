#include "run/file_routines.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <mutex>

#include "core/engine_loop.h"
#include "core/file_naming.h"
#include "run/target_job.h"

namespace kadrel {

namespace {

constexpr const char* kCR = "\r";

void ShowBox(Host& host, const std::string& text) {
  MessageBoxRequest box;
  box.text = text;
  host.showMessage(box);
}

void ShowCopyFailure(Host& host, const std::string& source, const std::string& destination,
                     const std::string& error) {
  ShowBox(host, std::string("ファイルバックアップ処理でエラーが発生しました") + kCR + "元[ " +
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
bool OverListedFile(const RunState& run, const std::string& targetPath, const std::string& path) {
  return SameFile(targetPath, path) || run.isListed(path);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// A link or something other than a file at a name the run writes is never
// written over: the failure, which the caller shows. Other failures (a missing
// folder) show where the name is used.
FileStatus UnusableName(RunState& run, const DropPath& name) {
  const FileStatus status = run.files().checkNewName(name);
  if (status.code != kErrLinkAtName && status.code != kErrNotRegularFile && status.code != EISDIR)
    return {};
  return status;
}

// Called with the run's files lock held.
void RemoveLeftoversOnce(RunState& run, const DropPath& folder) {
  if (run.cleanedFolders.insert(folder.path).second) run.files().removeLeftovers(folder);
}

}  // namespace

void ShowOpenFailureBox(Host& host, const std::string& path, const std::string& error) {
  ShowBox(host, std::string("ファイルオープンでエラーが発生しました") + kCR + "[ " + path + "]" +
                    kCR + error + kCR + "処理を飛ばします");
}

void ShowUnixNewlineBox(Host& host, const std::string& path) {
  ShowBox(host, std::string("ＵＮＩＸ形式の改行コードを検出しました。処理を飛ばします。") + kCR +
                    "[ " + path + " ]");
}

void ShowWriteFailure(Host& host, const FileStatus& status, const std::string& path) {
  ShowFileErrorBox(host, "File Write Error", status, path);
}

Opened<TargetFile> OpenTarget(RunState& run, Host& host, size_t index, bool forWriting) {
  const DropPath name = run.ctx.targetName(index);
  Opened<TargetFile> target;
  bool tell = false;
  {
    std::lock_guard lock(run.filesLock);
    RemoveLeftoversOnce(run, {FolderOf(name.path), name.scanRoot, name.dropped});
    target = run.files().openTarget(name, forWriting, run.processedFiles);
    if (target) {
      run.processedFiles.insert(target.file->id());
      RemoveLeftoversOnce(run, {target.file->folder(), name.scanRoot, name.dropped});
    } else {
      // A folder that is no longer the one scanned is told of once, for the
      // first of its files (its text names it).
      tell = target.status.code != kErrAlreadyDone &&
             (target.status.code != kErrFolderReplaced ||
              run.replacedFolders.insert(target.status.text).second);
    }
  }
  if (tell) ShowOpenFailureBox(host, name.path, target.status.text);
  return target;
}

std::optional<DropPath> BackupName(RunState& run, Host& host, size_t index) {
  const std::string& targetPath = run.ctx.targets.at(index);
  const DropPath name =
      run.ctx.derivedName(index, MakeOutName(run.ctx.options, targetPath, OutName::Backup));
  if (const FileStatus unusable = UnusableName(run, name); !unusable.ok()) {
    ShowCopyFailure(host, targetPath, name.path, unusable.text);
    return std::nullopt;
  }
  // Never a copy onto the file itself (both backup affixes empty) nor onto another
  // listed file (listed beside its namesake, or the affixes changed after the drop).
  if (OverListedFile(run, targetPath, name.path)) {
    ShowCopyFailure(host, targetPath, name.path, kSameFileText);
    return std::nullopt;
  }
  return name;
}

std::unique_ptr<NewFile> CreateReplacement(RunState& run, Host& host, TargetFile& target,
                                           const std::string& path) {
  Opened<NewFile> created = run.files().createReplacement(target);
  if (!created) {
    ShowOpenFailureBox(host, path, created.status.text);
    return nullptr;
  }
  // Noted before it takes the name: a target opened meanwhile through another
  // name finds it processed.
  std::lock_guard lock(run.filesLock);
  run.processedFiles.insert(created.file->id());
  return std::move(created.file);
}

std::unique_ptr<NewFile> CreateResult(RunState& run, Host& host, const DropPath& name,
                                      const TargetFile& source, const std::string& path) {
  if (const FileStatus unusable = UnusableName(run, name); !unusable.ok()) {
    ShowOpenFailureBox(host, name.path, unusable.text);
    return nullptr;
  }
  if (OverListedFile(run, path, name.path)) {
    ShowOpenFailureBox(host, name.path, kSameFileText);
    return nullptr;
  }
  Opened<NewFile> created = run.files().createFile(name, &source.attributes());
  if (!created) ShowOpenFailureBox(host, name.path, created.status.text);
  return std::move(created.file);
}

bool CommitReplacement(RunState& run, TargetFile& target, NewFile& replacement,
                       const std::string& listedPath, const std::optional<DropPath>& backup) {
  const ReplaceOutcome outcome =
      ReplaceTarget(run.files(), target, replacement, backup ? &*backup : nullptr);
  if (!outcome.backup.ok()) {
    ShowCopyFailure(run.host, listedPath, backup->path, outcome.backup.text);
    return false;
  }
  if (!outcome.replace.ok()) {
    ShowWriteFailure(run.host, outcome.replace, listedPath);
    return false;
  }
  return true;
}

bool CommitResult(RunState& run, NewFile& result, const std::string& path) {
  const FileStatus status = result.commit();
  if (!status.ok()) ShowWriteFailure(run.host, status, path);
  return status.ok();
}

}  // namespace kadrel
