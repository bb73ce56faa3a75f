// The real file layer's parts, shared by its files: descriptors held together by
// a target or a new file and the readers and writers they hand out; the folder
// that holds a listed name; targets; temporary files that take their name once
// complete.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>

#include "io/file_layer.h"

namespace kadrel::posix {

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
// Opens a folder (O_PATH, for *at calls) as a listed path's folder is reached:
// no link below scanRoot is followed. -1 with error set when it cannot be.
int OpenFolder(const std::string& folder, size_t scanRoot, int& error);
// Opens the folder of a listed name (see DropPath). resolveName: a named path's
// last part is resolved too when it is a link (a target is the linked file).
FileStatus OpenFolderOf(const DropPath& drop, bool resolveName, NameInFolder& where);

class PosixTarget : public TargetFile {
 public:
  static Opened<TargetFile> Open(const DropPath& drop, bool forWriting,
                                 const std::set<FileId>& done);

  FileId id() const override { return id_; }
  const FileAttributes& attributes() const override { return attributes_; }
  const std::string& folder() const override { return where_.folderPath; }
  const std::string& name() const override { return where_.name; }
  Opened<InputFile> read() override { return ReadFromStart(file_); }

  const NameInFolder& where() const { return where_; }
  const SharedFd& file() const { return file_; }

 private:
  PosixTarget(NameInFolder where, SharedFd file, const struct stat& st);

  NameInFolder where_;
  SharedFd file_;
  FileId id_;
  FileAttributes attributes_;
};

// What a new file takes from the file whose content it holds.
struct NewFileRules {
  // The replacement of a target: its owner and group (or nothing is done), its
  // permissions with setuid, setgid and sticky, and its extended attributes; the
  // commit checks that the name still leads to the target.
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

// Removes our temporaries that a killed run left in a folder.
void RemoveLeftoverTemporaries(const DropPath& folder);

}  // namespace kadrel::posix
