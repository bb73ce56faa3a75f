// The file system as the run sees it. The run reaches files only through this
// layer, so tests can put a faulty one in its place (a full disk, a failing copy).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace kadrel {

// Result of a file operation: empty error text means success.
struct FileStatus {
  int code = 0;      // errno-like number, 0 on success
  std::string text;  // Japanese description of the failure
  bool ok() const { return code == 0; }
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

class FileLayer {
 public:
  virtual ~FileLayer() = default;
  [[nodiscard]] virtual Opened<InputFile> openRead(const std::string& path) = 0;
  // Creates or truncates the file, or appends to it (creating it if missing).
  [[nodiscard]] virtual Opened<OutputFile> openWrite(const std::string& path, bool append) = 0;
  // Replaces destination by a complete copy of source.
  [[nodiscard]] virtual FileStatus copyFile(const std::string& source,
                                            const std::string& destination) = 0;
  virtual FileStatus removeFile(const std::string& path) = 0;
  virtual bool exists(const std::string& path) = 0;
  virtual bool isFolder(const std::string& path) = 0;

  // Opens a file that is read whole into memory (settings, COMBO!! and step list
  // files): a read past maxBytes fails (EFBIG). The real file system also refuses
  // at the open anything but a regular file of at most maxBytes, without waiting
  // on a FIFO; this default only bounds the reads of openRead's file.
  [[nodiscard]] virtual Opened<InputFile> openReadBounded(const std::string& path, size_t maxBytes);
};

// The real file system.
FileLayer& SystemFileLayer();

// Not an errno value: a FIFO, a device or a socket where a file is to be read.
inline constexpr int kErrNotRegularFile = -1;

// Reads a whole file through SystemFileLayer().openReadBounded.
FileStatus ReadBoundedFile(const std::string& path, size_t maxBytes, std::string& bytes);

// The process's standard input and output as files (closed with them).
std::unique_ptr<InputFile> StandardInput();
std::unique_ptr<OutputFile> StandardOutput();

// The Japanese description of an errno value, as the messages show it.
std::string ErrorText(int code);
FileStatus StatusFromErrno(int code);

}  // namespace kadrel
