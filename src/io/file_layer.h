// The file system as the run sees it. The run reaches files only through this
// layer, so tests can put a faulty one in its place (a full disk, a failing copy).
//
// No file is ever half-written: the new content of a target, a result, a backup
// copy and a settings file each go to a temporary file in the folder of the name
// they are for (created exclusively, never through a link), which takes that name
// only once complete. A file the run did not create is never truncated. A target
// is locked while a run processes it, so that two runs never work on one file.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kadrel {

namespace posix {
class Fd;
}

// Result of a file operation: empty error text means success.
struct FileStatus {
  int code = 0;      // errno-like number, 0 on success
  std::string text;  // Japanese description of the failure
  bool ok() const { return code == 0; }
};

// Failures that are no errno values, each with a text of our own.
inline constexpr int kErrNotRegularFile = -1;     // a folder, FIFO, device or socket
inline constexpr int kErrLinkAtName = -2;         // a symbolic link where a file is to be used
inline constexpr int kErrLocked = -3;             // another run is processing the file
inline constexpr int kErrReplacedMeanwhile = -4;  // another program replaced it while we worked
inline constexpr int kErrOwnerNotKept = -5;       // its owner, group or permissions cannot be kept
inline constexpr int kErrAlreadyDone = -6;        // a file this run has processed already
inline constexpr int kErrFolderReplaced = -7;     // a scanned folder is no longer the one scanned

// Which file a name leads to.
struct FileId {
  uint64_t device = 0;
  uint64_t inode = 0;
  friend auto operator<=>(const FileId&, const FileId&) = default;
};

// What a new file takes over from the file whose content it holds.
struct FileAttributes {
  uint32_t owner = 0;
  uint32_t group = 0;
  uint32_t mode = 0600;  // permission bits, with setuid, setgid and sticky
  uint64_t size = 0;     // bytes, as it was opened
  std::timespec accessed{};
  std::timespec modified{};
};

// A dropped folder, opened once when the drop is scanned (a dropped link is
// followed). Every file the scan lists under it is reached through this
// descriptor, folder by folder, each folder on the way checked to be the one the
// scan found (device and inode): renaming a folder of the tree, or putting a link
// or another folder in its place, leads nowhere else.
class DroppedFolder {
 public:
  // Opens the folder at path; null with error set when it is no folder that
  // can be read.
  static std::shared_ptr<DroppedFolder> Open(const std::string& path, int& error);
  DroppedFolder(std::string path, std::shared_ptr<const posix::Fd> fd, FileId id);
  ~DroppedFolder();
  DroppedFolder(const DroppedFolder&) = delete;
  DroppedFolder& operator=(const DroppedFolder&) = delete;

  const std::string& path() const { return path_; }  // with its final "/"
  int fd() const;                                    // opened for reading its entries
  FileId id() const { return id_; }

  // The scan notes each folder below it as it found it: its path relative to
  // this folder (ending in "/") and its id.
  void noteFolder(const std::string& relative, FileId id);
  // The folder at relative (empty: this one), reached through the descriptor
  // and checked against what the scan noted: null with error set
  // (kErrFolderReplaced when a folder on the way is not the one scanned).
  std::shared_ptr<const posix::Fd> reach(const std::string& relative, int& error) const;

 private:
  std::string path_;
  std::shared_ptr<const posix::Fd> fd_;
  FileId id_;
  std::unordered_map<std::string, FileId> folders_;
  // The folder reached last: the files of a folder come one after another, and
  // share its descriptor.
  mutable std::mutex mutex_;
  mutable std::string lastRelative_;
  mutable std::shared_ptr<const posix::Fd> lastFd_;
  mutable FileId lastId_;
};

// A path of the target list, and how far links in it are followed: a file found
// by a folder scan follows no link below the dropped folder (scanRoot: the length
// of that folder's path, with its final "/") and is reached through the folder
// opened by the scan (dropped); without it (a path not listed by a scan of ours)
// the dropped folder is opened by its path. A path named as it is (scanRoot 0)
// follows every link in it, as a dropped link is followed.
struct DropPath {
  DropPath(std::string path = {}, size_t scanRoot = 0,
           std::shared_ptr<const DroppedFolder> dropped = nullptr)
      : path(std::move(path)), scanRoot(scanRoot), dropped(std::move(dropped)) {}
  std::string path;
  size_t scanRoot = 0;
  std::shared_ptr<const DroppedFolder> dropped;
};

class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to n bytes; returns the count (0 at end of file) or -1 on failure.
  [[nodiscard]] virtual long read(char* buffer, size_t n) = 0;
  virtual FileStatus lastError() const = 0;
};

class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Writes all n bytes or fails.
  [[nodiscard]] virtual bool write(const char* data, size_t n) = 0;
  // Flushes and closes; a failure here is a write failure too (a full disk).
  [[nodiscard]] virtual bool close() = 0;
  virtual FileStatus lastError() const = 0;
};

// An opened file, or why it could not be opened.
template <typename File>
struct Opened {
  std::unique_ptr<File> file;  // null on failure
  FileStatus status;           // the failure; ok when the file is open
  explicit operator bool() const { return file != nullptr; }
};

// The file a listed name leads to, opened and locked for its processing: another
// run (a second window, kadrel-cli) cannot take it at the same time. Dropping it
// releases the lock.
class TargetFile {
 public:
  virtual ~TargetFile() = default;
  virtual FileId id() const = 0;
  virtual const FileAttributes& attributes() const = 0;
  // The folder the file lives in (for a name that is a link, the linked file's).
  virtual const std::string& folder() const = 0;
  // Its name in that folder.
  virtual const std::string& name() const = 0;
  // The content from its start; each call gives a reader of its own.
  [[nodiscard]] virtual Opened<InputFile> read() = 0;
  // The folder's path as the file system names it now, links resolved (a
  // scanned folder may have been renamed since it was dropped).
  virtual std::string realFolder() const { return folder(); }
  // After keepCopy put a new backup copy of this file in place of an earlier
  // one: with replaced, the earlier one goes; otherwise it takes its name back
  // (and the new one goes), so that a backup follows only a replacement.
  virtual void settleBackup(bool /*replaced*/) {}
};

// A file being written under a temporary name beside the name it is for. It
// takes that name only in commit(), once complete, so the name holds its previous
// file or the whole new one whatever stops the run; dropped uncommitted, the
// temporary is removed.
class NewFile {
 public:
  virtual ~NewFile() = default;
  // A writing end that appends to the file; closing it does not end the file.
  virtual std::unique_ptr<OutputFile> output() = 0;
  // What was written so far, from its start.
  [[nodiscard]] virtual Opened<InputFile> read() = 0;
  virtual uint64_t size() const = 0;
  // Drops what was written after the first size bytes.
  [[nodiscard]] virtual FileStatus truncate(uint64_t size) = 0;
  // For a file that holds the content of several files (a joint result): it keeps
  // only the permissions that all of them give, and an owner and group only when
  // they share it.
  virtual void narrowTo(const FileAttributes& source) = 0;
  // The access and modification times the file gets when it is completed (a
  // file that gives back an earlier content, with that content's times).
  virtual void keepTimes(const FileAttributes& /*times*/) {}
  // Gives the file its attributes and puts its data on the disk. Until then it
  // belongs to the runner alone: no other user can write to it, and it carries
  // no privilege (setuid, setgid, file capabilities) that a write could keep.
  // Called again, it does nothing more and returns the same status.
  [[nodiscard]] virtual FileStatus complete() = 0;
  // What complete() does that a worker may do before the file's turn in the
  // run (its attributes, its data on the disk); complete() at its turn does the
  // rest, such as the undo journal's record, which follows list order.
  [[nodiscard]] virtual FileStatus completeAhead() { return complete(); }
  // Whether complete() was called.
  virtual bool isComplete() const { return false; }
  // Renames the completed file over its name.
  [[nodiscard]] virtual FileStatus commit() = 0;
  virtual FileId id() const = 0;
};

class FileLayer {
 public:
  virtual ~FileLayer() = default;

  // A file that is read only (a COMBO!! file, the step list file).
  [[nodiscard]] virtual Opened<InputFile> openRead(const std::string& path) = 0;

  // Opens (for reading) and locks the regular file a listed name leads to.
  // forWriting: the runner must be allowed to write it (a write-protected file is
  // refused). A file in done is left alone (kErrAlreadyDone): the run has
  // processed it.
  [[nodiscard]] virtual Opened<TargetFile> openTarget(const DropPath& name, bool forWriting,
                                                      const std::set<FileId>& done) = 0;

  // The new content of a target: in the linked file's folder, taking the target's
  // owner, group, permissions (setuid included), ACLs and extended attributes.
  // Its commit renames it over the target's name, unless that name meanwhile
  // leads to another file. A target with several hard links loses them: the name
  // processed gets the new file, the other names keep the previous one.
  [[nodiscard]] virtual Opened<NewFile> createReplacement(TargetFile& target) = 0;

  // A new file for name (a result, a settings file). Refused when name is a
  // symbolic link or something other than a regular file. With source, it gets
  // the source's permission bits (no setuid, setgid or sticky bit) and, where the
  // runner may set them, its owner and group.
  [[nodiscard]] virtual Opened<NewFile> createFile(const DropPath& name,
                                                   const FileAttributes* source) = 0;

  // Ok when a file may be created at name: nothing there, or a regular file.
  [[nodiscard]] virtual FileStatus checkNewName(const DropPath& name) = 0;

  // Keeps the target's present content under name, as createFile's files are kept
  // and with the target's modification time, complete before it takes the name.
  // Refused (kErrReplacedMeanwhile) when the target's name no longer leads to the
  // target. A file that was at name is kept aside until target.settleBackup.
  [[nodiscard]] virtual FileStatus keepCopy(TargetFile& target, const DropPath& name) = 0;

  // Puts back at the target's name, in place of the target, a file kept by a hard
  // link at keptPath (the undo journal's): the very file the target replaced, with
  // its other names and times. Refused when the name meanwhile leads to another
  // file. EXDEV (and this default) when it cannot be renamed there: the caller
  // copies its content instead.
  [[nodiscard]] virtual FileStatus restoreKept(TargetFile& target, const std::string& keptPath);

  // Completes files together: one status each, in order. The real file system
  // syncs them side by side, so that many small files share the disk's flushes.
  virtual std::vector<FileStatus> completeAll(const std::vector<NewFile*>& files);

  // Puts on the disk, once each, the folders that files took their names in
  // since the last call, so that after a power cut every name holds what the
  // run reported; nothing while fewer than atLeast wait (a run syncs them when
  // it ends, and on the way only when many wait, each holding a descriptor).
  // Returns the folders that could not be synced, and why.
  virtual std::vector<std::pair<std::string, FileStatus>> syncFolders(size_t /*atLeast*/ = 0) {
    return {};
  }

  // Removes the temporary files that a killed run left in a folder (a path ending
  // in "/", reached as a listed path's folder is): only names of our temporaries
  // that no living run holds, never through a link.
  virtual void removeLeftovers(const DropPath& folder) = 0;

  virtual FileStatus removeFile(const std::string& path) = 0;
  virtual bool exists(const std::string& path) = 0;

  // Opens a file that is read whole into memory (settings, COMBO!! and step list
  // files): a read past maxBytes fails (EFBIG). The real file system also refuses
  // at the open anything but a regular file of at most maxBytes, without waiting
  // on a FIFO; this default only bounds the reads of openRead's file.
  [[nodiscard]] virtual Opened<InputFile> openReadBounded(const std::string& path, size_t maxBytes);
};

// The real file system.
FileLayer& SystemFileLayer();

// The last step of a rewrite: the target's completed replacement takes the
// target's name; first, with backup, the target's previous content is kept there.
struct ReplaceOutcome {
  FileStatus backup;   // keeping the previous content failed (nothing replaced)
  FileStatus replace;  // the replacement failed (the target kept its file)
  bool ok() const { return backup.ok() && replace.ok(); }
};
// The backup copy takes its name only when the replacement takes the target's:
// a target that another program replaced or removed meanwhile leaves the earlier
// backup as it was.
ReplaceOutcome ReplaceTarget(FileLayer& files, TargetFile& target, NewFile& replacement,
                             const DropPath* backup);

// Replaces the file at path by one holding bytes (the settings files).
FileStatus ReplaceFileContent(FileLayer& files, const std::string& path, std::string_view bytes);

// True for a name of our temporary files: ".kadrel-temp-" and twelve letters or
// digits. The drop filter never lists them.
bool IsTemporaryName(std::string_view name);
// A fresh name of that form.
std::string NewTemporaryName();

// input, handing out at most maxBytes: reading further fails with EFBIG.
std::unique_ptr<InputFile> LimitedTo(std::unique_ptr<InputFile> input, size_t maxBytes);

// Reads a whole file through SystemFileLayer().openReadBounded.
FileStatus ReadBoundedFile(const std::string& path, size_t maxBytes, std::string& bytes);

// Lets the process hold as many open files as its hard limit allows: every
// dropped folder stays open from the drop to the end of its run.
void RaiseOpenFileLimit();

// A descriptor opened for reading as a file (closed with it).
std::unique_ptr<InputFile> InputFromDescriptor(int fd);

// The process's standard input and output as files (closed with them).
std::unique_ptr<InputFile> StandardInput();
std::unique_ptr<OutputFile> StandardOutput();

// The Japanese description of an errno value (or of one of our own failures), as
// the messages show it.
std::string ErrorText(int code);
FileStatus StatusFromErrno(int code);

}  // namespace kadrel
