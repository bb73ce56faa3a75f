#include "support/fake_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <tuple>

#include "io/streams.h"

namespace kadrel::test {

bool EndsWith(const std::string& s, const std::string& suffix) {
  return !suffix.empty() && s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

const char* OpName(Op op) {
  switch (op) {
    case Op::OpenRead:
      return "open-read";
    case Op::Read:
      return "read";
    case Op::OpenWrite:
      return "open-write";
    case Op::Write:
      return "write";
    case Op::Close:
      return "close";
    case Op::Sync:
      return "sync";
    case Op::Commit:
      return "commit";
    case Op::Copy:
      return "copy";
    case Op::Remove:
      return "remove";
  }
  return "?";
}

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

class MemoryOutput : public OutputFile {
 public:
  explicit MemoryOutput(std::shared_ptr<std::string> bytes) : bytes_(std::move(bytes)) {}
  bool write(const char* data, size_t n) override {
    bytes_->append(data, n);
    return true;
  }
  bool close() override { return true; }
  FileStatus lastError() const override { return {}; }

 private:
  std::shared_ptr<std::string> bytes_;
};

// A plain file written from its start, for tests of the line writer.
class DiskOutput : public OutputFile {
 public:
  explicit DiskOutput(int fd) : fd_(fd) {}
  ~DiskOutput() override { std::ignore = close(); }
  bool write(const char* data, size_t n) override {
    return fd_ >= 0 && ::write(fd_, data, n) == static_cast<ssize_t>(n);
  }
  bool close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return true;
  }
  FileStatus lastError() const override { return {}; }

 private:
  int fd_;
};

// Reads in pieces, counts the bytes and fails after a number of them.
class ScriptedInput : public InputFile {
 public:
  ScriptedInput(std::unique_ptr<InputFile> inner, size_t piece, const Fault* fault,
                std::shared_ptr<long> counter, int* fired)
      : inner_(std::move(inner)),
        piece_(piece),
        left_(fault ? fault->bytes : -1),
        error_(fault ? fault->error : 0),
        counter_(std::move(counter)),
        fired_(fired) {}
  long read(char* buffer, size_t n) override {
    if (left_ == 0) {
      if (!failed_) ++*fired_;
      failed_ = true;
      return -1;
    }
    if (piece_ > 0) n = std::min(n, piece_);
    if (left_ > 0) n = std::min(n, static_cast<size_t>(left_));
    long r = inner_->read(buffer, n);
    if (r > 0) {
      *counter_ += r;
      if (left_ > 0) left_ -= r;
    }
    return r;
  }
  FileStatus lastError() const override {
    return failed_ ? StatusFromErrno(error_) : inner_->lastError();
  }

 private:
  std::unique_ptr<InputFile> inner_;
  size_t piece_;
  long left_;  // -1: no limit
  int error_;
  bool failed_ = false;
  std::shared_ptr<long> counter_;
  int* fired_;
};

// The scripted faults of one file being written, shared by its writing ends.
struct WriteScript {
  long left = -1;  // bytes before the write fault; -1: none
  int writeError = 0;
  std::optional<Fault> close;
  std::function<void(long)> keepFirst;  // what a failed close leaves of the file
  std::shared_ptr<long> counter;
  int* fired = nullptr;
  int error = 0;  // the fault that fired
};

std::shared_ptr<WriteScript> MakeWriteScript(FakeFiles& files, const std::string& path,
                                             std::shared_ptr<long> counter) {
  auto script = std::make_shared<WriteScript>();
  if (const Fault* f = files.due(Op::Write, path)) {
    script->left = f->bytes;
    script->writeError = f->error;
  }
  if (const Fault* f = files.due(Op::Close, path)) script->close = *f;
  script->counter = std::move(counter);
  script->fired = &files.fired;
  return script;
}

// Counts the bytes written, fails a write after a number of them or the close.
class ScriptedOutput : public OutputFile {
 public:
  ScriptedOutput(std::unique_ptr<OutputFile> inner, std::shared_ptr<WriteScript> script)
      : inner_(std::move(inner)), s_(std::move(script)) {}
  bool write(const char* data, size_t n) override {
    if (s_->error != 0) return false;
    if (s_->left >= 0 && static_cast<long>(n) > s_->left) {
      // A partial write, as a full disk gives.
      std::ignore = inner_->write(data, static_cast<size_t>(s_->left));
      *s_->counter += s_->left;
      s_->left = 0;
      s_->error = s_->writeError;
      ++*s_->fired;
      return false;
    }
    if (s_->left >= 0) s_->left -= static_cast<long>(n);
    *s_->counter += static_cast<long>(n);
    return inner_->write(data, n);
  }
  bool close() override {
    const bool ok = inner_->close();
    if (s_->close && s_->error == 0) {
      s_->keepFirst(s_->close->bytes);  // the data still buffered is lost
      s_->error = s_->close->error;
      ++*s_->fired;
    }
    return ok && s_->error == 0;
  }
  FileStatus lastError() const override {
    return s_->error != 0 ? StatusFromErrno(s_->error) : inner_->lastError();
  }

 private:
  std::unique_ptr<OutputFile> inner_;
  std::shared_ptr<WriteScript> s_;
};

// A target held in memory: its content as it was when it was opened.
class MemoryTarget : public TargetFile {
 public:
  MemoryTarget(std::string content, FileId id, const std::string& path)
      : content_(std::move(content)),
        id_(id),
        folder_(FolderOf(path)),
        name_(path.substr(path.rfind('/') + 1)) {}
  FileId id() const override { return id_; }
  const FileAttributes& attributes() const override { return attributes_; }
  const std::string& folder() const override { return folder_; }
  const std::string& name() const override { return name_; }
  Opened<InputFile> read() override { return {MemoryInput(content_), {}}; }
  const std::string& content() const { return content_; }

 private:
  std::string content_;
  FileId id_;
  FileAttributes attributes_;
  std::string folder_;
  std::string name_;
};

// A target of either backing, its readers scripted.
class FakeTarget : public TargetFile {
 public:
  FakeTarget(FakeFiles& files, std::unique_ptr<TargetFile> inner, std::string path)
      : files_(files), inner_(std::move(inner)), path_(std::move(path)) {}
  FileId id() const override { return inner_->id(); }
  const FileAttributes& attributes() const override { return inner_->attributes(); }
  const std::string& folder() const override { return inner_->folder(); }
  const std::string& name() const override { return inner_->name(); }
  Opened<InputFile> read() override { return files_.reader(inner_->read(), path_); }
  std::string realFolder() const override { return inner_->realFolder(); }
  void settleBackup(bool replaced) override { inner_->settleBackup(replaced); }
  TargetFile& inner() { return *inner_; }
  const std::string& path() const { return path_; }

 private:
  FakeFiles& files_;
  std::unique_ptr<TargetFile> inner_;
  std::string path_;
};

// A new file held in memory; it takes its name in the memory backing.
class MemoryNewFile : public NewFile {
 public:
  MemoryNewFile(FakeFiles& files, std::string path, FileId id)
      : files_(files), path_(std::move(path)), id_(id) {}
  std::unique_ptr<OutputFile> output() override { return std::make_unique<MemoryOutput>(bytes_); }
  Opened<InputFile> read() override { return {MemoryInput(*bytes_), {}}; }
  uint64_t size() const override { return bytes_->size(); }
  FileStatus truncate(uint64_t size) override {
    bytes_->resize(std::min<uint64_t>(size, bytes_->size()));
    return {};
  }
  void narrowTo(const FileAttributes&) override {}
  FileStatus complete() override { return {}; }
  FileStatus commit() override {
    files_.memory[path_] = *bytes_;
    files_.setMemoryId(path_, id_);
    return {};
  }
  FileId id() const override { return id_; }

 private:
  FakeFiles& files_;
  std::string path_;
  FileId id_;
  std::shared_ptr<std::string> bytes_ = std::make_shared<std::string>();
};

// A new file of either backing, its writing, completion and commit scripted.
class FakeNewFile : public NewFile {
 public:
  FakeNewFile(FakeFiles& files, std::unique_ptr<NewFile> inner, std::string path,
              std::shared_ptr<long> counter)
      : files_(files), inner_(std::move(inner)), path_(std::move(path)) {
    script_ = MakeWriteScript(files_, path_, std::move(counter));
    script_->keepFirst = [this](long n) {
      if (n >= 0) std::ignore = inner_->truncate(static_cast<uint64_t>(n));
    };
  }
  std::unique_ptr<OutputFile> output() override {
    return std::make_unique<ScriptedOutput>(inner_->output(), script_);
  }
  Opened<InputFile> read() override { return files_.reader(inner_->read(), path_); }
  uint64_t size() const override { return inner_->size(); }
  FileStatus truncate(uint64_t size) override { return inner_->truncate(size); }
  void narrowTo(const FileAttributes& source) override { inner_->narrowTo(source); }
  void keepTimes(const FileAttributes& times) override { inner_->keepTimes(times); }
  FileStatus complete() override {
    if (completed_) return *completed_;
    files_.note(Op::Sync, path_);
    if (const Fault* f = files_.due(Op::Sync, path_)) {
      ++files_.fired;
      completed_ = StatusFromErrno(f->error);
    } else {
      completed_ = inner_->complete();
    }
    return *completed_;
  }
  bool isComplete() const override { return completed_.has_value(); }
  FileStatus commit() override {
    files_.note(Op::Commit, path_);
    if (const Fault* f = files_.due(Op::Commit, path_)) {
      ++files_.fired;
      return StatusFromErrno(f->error);
    }
    return inner_->commit();
  }
  FileId id() const override { return inner_->id(); }

 private:
  FakeFiles& files_;
  std::unique_ptr<NewFile> inner_;
  std::string path_;
  std::shared_ptr<WriteScript> script_;
  std::optional<FileStatus> completed_;
};

}  // namespace

const Fault* FakeFiles::due(Op op, const std::string& path) {
  seen_.resize(faults.size(), 0);
  for (size_t i = 0; i < faults.size(); ++i) {
    const Fault& f = faults[i];
    if (f.op != op || !EndsWith(path, f.path)) continue;
    if (++seen_[i] == f.occurrence || f.occurrence == 0) return &f;
  }
  return nullptr;
}

OpRecord& FakeFiles::note(Op op, const std::string& path) {
  log.push_back({op, path, std::make_shared<long>(0)});
  if (before) before(op, path);
  return log.back();
}

Opened<InputFile> FakeFiles::reader(Opened<InputFile> inner, const std::string& path) {
  auto counter = note(Op::Read, path).bytes;
  const Fault* fault = due(Op::Read, path);
  if (!inner) return inner;
  inner.file =
      std::make_unique<ScriptedInput>(std::move(inner.file), readPiece, fault, counter, &fired);
  return inner;
}

FileId FakeFiles::memoryId(const std::string& path) {
  auto it = memoryIds_.find(path);
  if (it == memoryIds_.end()) it = memoryIds_.emplace(path, newMemoryId()).first;
  return it->second;
}

Opened<InputFile> FakeFiles::openRead(const std::string& path) {
  note(Op::OpenRead, path);
  if (const Fault* f = due(Op::OpenRead, path)) {
    ++fired;
    return {nullptr, StatusFromErrno(f->error)};
  }
  if (backing_ == Backing::Disk) return reader(SystemFileLayer().openRead(path), path);
  auto it = memory.find(path);
  if (it == memory.end()) return {nullptr, StatusFromErrno(ENOENT)};
  return reader({MemoryInput(it->second), {}}, path);
}

Opened<TargetFile> FakeFiles::openTarget(const DropPath& name, bool forWriting,
                                         const std::set<FileId>& done) {
  note(Op::OpenRead, name.path);
  if (const Fault* f = due(Op::OpenRead, name.path)) {
    ++fired;
    return {nullptr, StatusFromErrno(f->error)};
  }
  if (forWriting && readOnly.count(name.path)) return {nullptr, StatusFromErrno(EACCES)};
  Opened<TargetFile> inner;
  if (backing_ == Backing::Disk) {
    inner = SystemFileLayer().openTarget(name, forWriting, done);
  } else if (auto it = memory.find(name.path); it == memory.end()) {
    inner.status = StatusFromErrno(ENOENT);
  } else if (done.count(memoryId(name.path))) {
    inner.status = StatusFromErrno(kErrAlreadyDone);
  } else {
    inner.file = std::make_unique<MemoryTarget>(it->second, memoryId(name.path), name.path);
  }
  if (!inner) return inner;
  return {std::make_unique<FakeTarget>(*this, std::move(inner.file), name.path), {}};
}

Opened<NewFile> FakeFiles::createNew(const std::string& path,
                                     const std::function<Opened<NewFile>()>& create) {
  auto counter = note(Op::OpenWrite, path).bytes;
  if (const Fault* f = due(Op::OpenWrite, path)) {
    ++fired;
    return {nullptr, StatusFromErrno(f->error)};
  }
  Opened<NewFile> inner = create();
  if (!inner) return inner;
  return {std::make_unique<FakeNewFile>(*this, std::move(inner.file), path, counter), {}};
}

Opened<NewFile> FakeFiles::createReplacement(TargetFile& target) {
  auto& t = static_cast<FakeTarget&>(target);
  return createNew(t.path(), [&]() -> Opened<NewFile> {
    if (backing_ == Backing::Disk) return SystemFileLayer().createReplacement(t.inner());
    return {std::make_unique<MemoryNewFile>(*this, t.path(), newMemoryId()), {}};
  });
}

Opened<NewFile> FakeFiles::createFile(const DropPath& name, const FileAttributes* source) {
  return createNew(name.path, [&]() -> Opened<NewFile> {
    if (backing_ == Backing::Disk) return SystemFileLayer().createFile(name, source);
    return {std::make_unique<MemoryNewFile>(*this, name.path, newMemoryId()), {}};
  });
}

FileStatus FakeFiles::checkNewName(const DropPath& name) {
  if (backing_ == Backing::Disk) return SystemFileLayer().checkNewName(name);
  return {};
}

FileStatus FakeFiles::keepCopy(TargetFile& target, const DropPath& name) {
  auto& t = static_cast<FakeTarget&>(target);
  note(Op::Copy, name.path);
  if (readOnly.count(name.path)) return StatusFromErrno(EACCES);
  if (const Fault* f = due(Op::Copy, name.path)) {
    ++fired;
    return StatusFromErrno(f->error);
  }
  if (backing_ == Backing::Disk) return SystemFileLayer().keepCopy(t.inner(), name);
  memory[name.path] = static_cast<MemoryTarget&>(t.inner()).content();
  setMemoryId(name.path, newMemoryId());
  return {};
}

std::vector<std::pair<std::string, FileStatus>> FakeFiles::syncFolders(size_t atLeast) {
  if (backing_ == Backing::Disk) return SystemFileLayer().syncFolders(atLeast);
  return {};
}

void FakeFiles::removeLeftovers(const DropPath& folder) {
  if (backing_ == Backing::Disk) SystemFileLayer().removeLeftovers(folder);
}

FileStatus FakeFiles::removeFile(const std::string& path) {
  note(Op::Remove, path);
  if (readOnly.count(path)) return StatusFromErrno(EACCES);
  if (const Fault* f = due(Op::Remove, path)) {
    ++fired;
    return StatusFromErrno(f->error);
  }
  if (backing_ == Backing::Disk) return SystemFileLayer().removeFile(path);
  return memory.erase(path) ? FileStatus{} : StatusFromErrno(ENOENT);
}

bool FakeFiles::exists(const std::string& path) {
  if (backing_ == Backing::Disk) return SystemFileLayer().exists(path);
  return memory.count(path) != 0;
}

Opened<OutputFile> FakeFiles::openWrite(const std::string& path) {
  auto script = MakeWriteScript(*this, path, note(Op::OpenWrite, path).bytes);
  std::unique_ptr<OutputFile> inner;
  if (backing_ == Backing::Memory) {
    memory[path].clear();
    // The writer fills the memory backing's file itself (a map's element stays
    // where it is): the pointer owns nothing.
    inner = std::make_unique<MemoryOutput>(
        std::shared_ptr<std::string>(std::shared_ptr<void>(), &memory[path]));
    script->keepFirst = [this, path](long n) {
      if (n >= 0) memory[path].resize(std::min(memory[path].size(), static_cast<size_t>(n)));
    };
  } else {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return {nullptr, StatusFromErrno(errno)};
    inner = std::make_unique<DiskOutput>(fd);
    script->keepFirst = [path](long n) {
      std::error_code ec;
      if (n >= 0) std::filesystem::resize_file(path, static_cast<uintmax_t>(n), ec);
    };
  }
  return {std::make_unique<ScriptedOutput>(std::move(inner), script), {}};
}

}  // namespace kadrel::test
