// A run's undo journal: before a target's replacement takes its name, the
// target's previous content is kept in the journal folder (a hard link to the
// replaced file, which costs nothing; a copy when the journal is on another file
// system) and the index gets a line naming the file, how its content is kept and
// the size and hash of what the run wrote. The next run that replaces files
// replaces the journal.
//
// Space: kept links take no space of their own, but the previous contents they
// hold stay on the disk until the journal is replaced. Copies take at most
// copyLimit bytes per run; a file whose copy would pass that is listed as not
// kept and cannot be taken back.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "io/file_layer.h"
#include "run/run_context.h"
#include "run/undo/journal_folder.h"

namespace kadrel {

inline constexpr uint64_t kJournalCopyLimit = uint64_t{1} << 30;

class JournalWriter {
 public:
  JournalWriter(FileLayer& files, std::string folder, uint64_t copyLimit = kJournalCopyLimit)
      : files_(files), folderPath_(std::move(folder)), copyLimit_(copyLimit) {}
  ~JournalWriter();
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  // What the run does (JournalDescription), recorded for the undo's question;
  // before the run.
  void describe(std::string description) { description_ = std::move(description); }

  // Keeps the target's present content before a replacement holding written
  // bytes (of that hash) takes its name. A journal that cannot be kept (another
  // run uses it, the program's folder cannot be written) costs the run nothing:
  // that run cannot be taken back.
  void keep(TargetFile& target, uint64_t writtenSize, uint64_t writtenHash);
  // Puts the index on the disk.
  void sync();
  // True once the journal holds this run: it began, and every keep was recorded.
  bool recorded() const { return begun_ && !failed_; }

 private:
  bool begin();
  Kept keepContent(TargetFile& target, const std::string& path, uint64_t number);

  FileLayer& files_;
  std::string folderPath_;
  std::string description_;
  uint64_t copyLimit_;
  JournalFolder folder_;
  bool begun_ = false, failed_ = false;
  int index_ = -1;
  uint64_t next_ = 1;
  uint64_t copied_ = 0;
};

// What a run does, in the words of the run confirmation: the step's description;
// for a COMBO!! run, a heading, then the lines of the COMBO!! text shown for its
// steps (comboText: TextCombo's, lines ended by CR LF).
std::string JournalDescription(const RunContext& ctx, std::string_view comboText = {});

// The file layer of a journalled run: files as the real layer has them; every
// replacement a run commits is kept in the journal first.
class JournalledFiles : public FileLayer {
 public:
  JournalledFiles(FileLayer& real, JournalWriter& journal) : real_(real), journal_(journal) {}

  Opened<InputFile> openRead(const std::string& path) override { return real_.openRead(path); }
  Opened<InputFile> openReadBounded(const std::string& path, size_t maxBytes) override {
    return real_.openReadBounded(path, maxBytes);
  }
  Opened<TargetFile> openTarget(const DropPath& name, bool forWriting,
                                const std::set<FileId>& done) override {
    return real_.openTarget(name, forWriting, done);
  }
  Opened<NewFile> createReplacement(TargetFile& target) override;
  Opened<NewFile> createFile(const DropPath& name, const FileAttributes* source) override {
    return real_.createFile(name, source);
  }
  FileStatus checkNewName(const DropPath& name) override { return real_.checkNewName(name); }
  FileStatus keepCopy(TargetFile& target, const DropPath& name) override {
    return real_.keepCopy(target, name);
  }
  FileStatus restoreKept(TargetFile& target, const std::string& keptPath) override {
    return real_.restoreKept(target, keptPath);
  }
  std::vector<FileStatus> completeAll(const std::vector<NewFile*>& files) override;
  void removeLeftovers(const DropPath& folder) override { real_.removeLeftovers(folder); }
  FileStatus removeFile(const std::string& path) override { return real_.removeFile(path); }
  bool exists(const std::string& path) override { return real_.exists(path); }

 private:
  FileLayer& real_;
  JournalWriter& journal_;
};

}  // namespace kadrel
