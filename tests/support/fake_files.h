// The file layer of the tests: files on the real file system (in a test's
// temporary folder) or held in memory, with faults scripted onto chosen
// operations and a log of every operation, so that a test can fail each
// operation of a run in turn.
//
// A fault names an operation kind, a path (matched by its ending) and which of
// the matching operations fails (the first by default, or every one). Reads and
// writes fail once a number of bytes of that opened file have got through; a copy
// or a close can leave a damaged destination behind, as a full disk does.
#pragma once

#include <cerrno>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/file_layer.h"

namespace kadrel::test {

enum class Op { OpenRead, Read, OpenWrite, Write, Close, Copy, Remove };

const char* OpName(Op op);

struct Fault {
  Op op = Op::Copy;
  std::string path;  // the path concerned, by its ending (a copy: its destination)
  // The n-th matching operation fails (Read/Write/Close: the n-th open); 0: every one.
  int occurrence = 1;
  // Read/Write: bytes that get through first. Copy/Close: bytes the destination keeps
  // (-1: a copy leaves it untouched, a close keeps what was written).
  long bytes = 0;
  int error = ENOSPC;
};

// One operation as the log keeps it. An opened file's read or written byte count is
// filled in as the bytes go through.
struct OpRecord {
  Op op;
  std::string path;
  std::string source;  // Copy only
  std::shared_ptr<long> bytes;
};

class FakeFiles : public FileLayer {
 public:
  enum class Backing { Disk, Memory };
  explicit FakeFiles(Backing backing = Backing::Disk) : backing_(backing) {}

  std::vector<Fault> faults;
  // Full paths that behave as write-protected files: opening for writing, copying
  // onto them and deleting them fail with "access denied".
  std::set<std::string> readOnly;
  // Runs before every operation with its kind and path (a copy: its destination).
  std::function<void(Op, const std::string&)> before;
  // A read hands out at most this many bytes (0: as many as asked for), so that
  // line ends fall across reads.
  size_t readPiece = 0;
  // The files of the memory backing, by path.
  std::map<std::string, std::string> memory;

  std::vector<OpRecord> log;
  int fired = 0;  // faults that took effect

  Opened<InputFile> openRead(const std::string& path) override;
  Opened<OutputFile> openWrite(const std::string& path, bool append) override;
  FileStatus copyFile(const std::string& source, const std::string& destination) override;
  FileStatus removeFile(const std::string& path) override;
  bool exists(const std::string& path) override;
  bool isFolder(const std::string& path) override;

 private:
  // The fault for this operation, if one is due (counts the matching operations).
  const Fault* due(Op op, const std::string& path);
  void note(Op op, const std::string& path, const std::string& source = "");
  // What the backing does, before faults.
  Opened<InputFile> openBacking(const std::string& path);
  Opened<OutputFile> createBacking(const std::string& path, bool append);
  FileStatus copyBacking(const std::string& source, const std::string& destination);
  // Keeps the first n bytes of a file (n < 0: all of it).
  void keepFirst(const std::string& path, long n);
  std::string content(const std::string& path);  // empty when missing
  void replace(const std::string& path, const std::string& bytes);
  long size(const std::string& path);

  Backing backing_;
  std::vector<int> seen_;  // per fault: matching operations so far
};

bool EndsWith(const std::string& s, const std::string& suffix);

}  // namespace kadrel::test
