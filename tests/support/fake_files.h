// The file layer of the tests: files on the real file system (in a test's
// temporary folder) or held in memory, with faults scripted onto chosen
// operations and a log of every operation, so that a test can fail each
// operation of a run in turn.
//
// A fault names an operation kind, a path (matched by its ending) and which of
// the matching operations fails (the first by default, or every one). Reads and
// writes fail once a number of bytes have got through; a close can lose the data
// still buffered, as a full disk does.
#pragma once

#include <cerrno>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "io/file_layer.h"

namespace kadrel::test {

// OpenRead: a file opened for reading, or a target opened. Read: a reader of a
// file, a target or a new file. OpenWrite: a new file created (a result, a
// target's replacement). Write / Close: the writing of a new file. Sync: a new
// file completed. Commit: a new file taking its name. Copy: a backup copy kept.
enum class Op { OpenRead, Read, OpenWrite, Write, Close, Sync, Commit, Copy, Remove };

const char* OpName(Op op);

struct Fault {
  Op op = Op::Copy;
  // The path concerned, by its ending: a new file's name, a copy's destination.
  std::string path;
  // The n-th matching operation fails (Read: the n-th reader; Write, Close: the
  // n-th new file); 0: every one.
  int occurrence = 1;
  // Read/Write: bytes that get through first. Close: bytes the file keeps (-1:
  // all that was written).
  long bytes = 0;
  int error = ENOSPC;
};

// One operation as the log keeps it. A reader's or a new file's byte count is
// filled in as the bytes go through.
struct OpRecord {
  Op op;
  std::string path;
  std::shared_ptr<long> bytes;
};

class FakeFiles : public FileLayer {
 public:
  enum class Backing { Disk, Memory };
  explicit FakeFiles(Backing backing = Backing::Disk) : backing_(backing) {}

  std::vector<Fault> faults;
  // Full paths that behave as write-protected files: opening them for writing,
  // copying onto them and deleting them fail with "access denied".
  std::set<std::string> readOnly;
  // Runs before every operation with its kind and path.
  std::function<void(Op, const std::string&)> before;
  // A read hands out at most this many bytes (0: as many as asked for), so that
  // line ends fall across reads.
  size_t readPiece = 0;
  // The files of the memory backing, by path.
  std::map<std::string, std::string> memory;

  std::vector<OpRecord> log;
  int fired = 0;  // faults that took effect

  Opened<InputFile> openRead(const std::string& path) override;
  Opened<TargetFile> openTarget(const DropPath& name, bool forWriting,
                                const std::set<FileId>& done) override;
  Opened<NewFile> createReplacement(TargetFile& target) override;
  Opened<NewFile> createFile(const DropPath& name, const FileAttributes* source) override;
  FileStatus checkNewName(const DropPath& name) override;
  FileStatus keepCopy(TargetFile& target, const DropPath& name) override;
  std::vector<std::pair<std::string, FileStatus>> syncFolders(size_t atLeast) override;
  void removeLeftovers(const DropPath& folder) override;
  FileStatus removeFile(const std::string& path) override;
  bool exists(const std::string& path) override;

  // A writing end that replaces the file at path when closed, with the Write and
  // Close faults of path: for tests of the line writer.
  Opened<OutputFile> openWrite(const std::string& path);

  // For the fake files: the fault due now (counts the matching operations), the
  // log, readers with their faults, and the memory backing's file ids.
  const Fault* due(Op op, const std::string& path);
  OpRecord& note(Op op, const std::string& path);
  Opened<InputFile> reader(Opened<InputFile> inner, const std::string& path);
  FileId memoryId(const std::string& path);
  // A new id for a file of the memory backing, and the id a path now leads to.
  FileId newMemoryId() { return {0, nextMemoryId_++}; }
  void setMemoryId(const std::string& path, FileId id) { memoryIds_[path] = id; }

 private:
  // A new file for path with its scripted faults, or the fault of its creation.
  Opened<NewFile> createNew(const std::string& path,
                            const std::function<Opened<NewFile>()>& create);

  Backing backing_;
  std::vector<int> seen_;  // per fault: matching operations so far
  std::map<std::string, FileId> memoryIds_;
  uint64_t nextMemoryId_ = 1;
};

bool EndsWith(const std::string& s, const std::string& suffix);

}  // namespace kadrel::test
