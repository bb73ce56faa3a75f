// The real file layer's parts, shared by its files: descriptors held together by
// a target or a new file and the readers and writers they hand out; the folder
// that holds a listed name; targets; temporary files that take their name once
// complete.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "io/file_layer.h"

namespace kadrel::posix {

class PosixTarget;

// A descriptor, closed with its last owner.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd();
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};
using SharedFd = std::shared_ptr<const Fd>;

FileId IdOf(const struct stat& st);
FileAttributes AttributesOf(const struct stat& st);
// The id of what name in folder is (not following a link), or nothing.
std::optional<FileId> IdAt(int folder, const std::string& name);

// Reads a shared descriptor from its start (pread), so readers never disturb
// each other.
Opened<InputFile> ReadFromStart(SharedFd fd);

// Ok when name in folder may take a new file: nothing there, or a regular file.
FileStatus CheckNameInFolder(int folder, const std::string& name);

// The folder that holds a listed name (opened for *at calls only) and the name.
struct NameInFolder {
  SharedFd folder;
  std::string folderPath;  // with its final "/"
  std::string name;
};
// Reaches folder (a path ending in "/") as the folder of a listed name is
// reached: through the dropped folder's descriptor, or by its path, following
// no link below scanRoot. Null with error set when it cannot be.
SharedFd ReachFolder(const DropPath& drop, const std::string& folder, int& error);
// Opens the folder of a listed name (see DropPath). resolveName: a named path's
// last part is resolved too when it is a link (a target is the linked file).
FileStatus OpenFolderOf(const DropPath& drop, bool resolveName, NameInFolder& where);
// The status of a folder that could not be reached (naming it when it is no
// longer the folder that was scanned).
FileStatus FolderStatus(int error, const std::string& folder);

// The earlier file at a name that a new file took, kept aside at a temporary
// name until it is known whether it goes or comes back.
struct SetAside {
  SharedFd folder;
  std::string temp;  // where the earlier file is now
  std::string name;  // the name it had, which the newer file has now
  FileId earlier, newer;
  SharedFd held;  // the earlier file, locked: no other run takes it for a leftover
};
// Gives name in folder the file at temp (newId), which is about to take it, as
// long as target's name still leads to target. An earlier file at name is set
// aside (where the file system can swap two names at once).
FileStatus PutInPlace(const SharedFd& folder, const std::string& temp, FileId newId,
                      const std::string& name, const PosixTarget& target,
                      std::optional<SetAside>& aside);

// Folders that names were renamed into, to be synced: noted at each rename,
// synced together (see FileLayer::syncFolders).
void NoteRenamedInto(const SharedFd& folder, const std::string& path);
std::vector<std::pair<std::string, FileStatus>> SyncRenamedFolders(size_t atLeast);
// Runs work(i) for i in [0, count) on up to maxThreads threads, this one among them.
void InParallel(size_t count, size_t maxThreads, const std::function<void(size_t)>& work);

class PosixTarget : public TargetFile {
 public:
  static Opened<TargetFile> Open(const DropPath& drop, bool forWriting,
                                 const std::set<FileId>& done);

  FileId id() const override { return id_; }
  const FileAttributes& attributes() const override { return attributes_; }
  const std::string& folder() const override { return where_.folderPath; }
  const std::string& name() const override { return where_.name; }
  Opened<InputFile> read() override { return ReadFromStart(file_); }

  std::string realFolder() const override;
  void settleBackup(bool replaced) override;
  ~PosixTarget() override;

  const NameInFolder& where() const { return where_; }
  const SharedFd& file() const { return file_; }
  // True while the target's name leads to the target.
  bool atItsName() const { return IdAt(where_.folder->get(), where_.name) == id_; }
  // The earlier backup copy that keepCopy set aside, settled by settleBackup.
  void setAside(SetAside aside) { aside_ = std::move(aside); }

 private:
  PosixTarget(NameInFolder where, SharedFd file, const struct stat& st);

  NameInFolder where_;
  SharedFd file_;
  FileId id_;
  FileAttributes attributes_;
  std::optional<SetAside> aside_;
};

// What a new file takes from the file whose content it holds. It takes it all
// when it is completed, after its last write: until then it is the runner's,
// readable and writable by the runner alone.
struct NewFileRules {
  // The replacement of a target: its owner and group (or nothing is done), its
  // permissions with setuid, setgid and sticky, and its extended attributes; the
  // commit checks that the name still leads to the target. A replacement that
  // will carry a privilege (setuid, setgid, file capabilities) is made in a
  // folder of the runner's own beside the name, which no other user can enter:
  // nobody but the runner ever opens it before it takes the name.
  const PosixTarget* replaces = nullptr;
  // A result or a backup copy: this file's permission bits, owner and group
  // where the runner may set them, extended attributes but no file capabilities.
  std::optional<FileAttributes> like;
  SharedFd likeFile;       // whose extended attributes
  bool keepTimes = false;  // a backup copy: the source's access and modification times
};

// Creates the temporary of a new file for where.name.
Opened<NewFile> CreateNewFile(const NameInFolder& where, NewFileRules rules);
// Copies the content of a descriptor into a new file made by CreateNewFile.
FileStatus CopyInto(NewFile& file, int from);
// Gives a completed file made by CreateNewFile its name, through PutInPlace.
FileStatus CommitSettingAside(NewFile& file, const PosixTarget& target,
                              std::optional<SetAside>& aside);

// Removes our temporaries that a killed run left in a folder.
void RemoveLeftoverTemporaries(const DropPath& folder);

}  // namespace kadrel::posix
