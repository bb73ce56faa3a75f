// A run's undo journal: before a target's replacement takes its name, the
// target's previous content is kept in the journal folder (a hard link to the
// replaced file, which costs nothing; a copy when the journal is on another file
// system) and the index gets a line naming the file, how its content is kept and
// the size, hash and id of what the run wrote. The lines of a batch of files are
// on the disk before any of them is renamed. The next run that replaces files
// replaces the journal; one that keeps no journal removes it.
//
// The journal records or says so: a journal that cannot be kept (another run
// uses it, its folder is not the runner's own) is named in a box or a notice; a
// failure to write or sync the index ends the recording with a box, and the index
// says so in a line of its own, then names (without their previous content) the
// files the run replaces after it, in room reserved for that.
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
#include <vector>

#include "core/host.h"
#include "io/file_layer.h"
#include "run/run_report.h"
#include "run/undo/journal_folder.h"

namespace kadrel {

struct RunContext;

inline constexpr uint64_t kJournalCopyLimit = uint64_t{1} << 30;

class JournalWriter {
 public:
  enum class Mode {
    Keep,  // keep what the run replaces
    Off,   // keep nothing: the previous journal goes once the run replaces a file
  };

  // Boxes go to host as they arise.
  JournalWriter(FileLayer& files, std::string folder, Host& host, Mode mode = Mode::Keep,
                uint64_t copyLimit = kJournalCopyLimit);
  virtual ~JournalWriter();
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  // What the run does (JournalDescription), recorded for the undo's question;
  // before the run.
  void describe(std::string description) { description_ = std::move(description); }
  // The folders the run was given, recorded in the index: an undo refuses an
  // entry outside them.
  void setDrop(std::vector<std::string> folders) { drop_ = std::move(folders); }

  // Keeps the target's present content before a replacement (the file written,
  // of that size and hash) takes its name.
  void keep(TargetFile& target, FileId written, uint64_t writtenSize, uint64_t writtenHash);
  // Puts the index lines written so far on the disk, with the journal's folder.
  void sync();
  // Ends the index (with the count of files it could not name) and puts it on
  // the disk. The destructor does it too.
  void finish();

  // The texts of the boxes shown: problems of the run that no target owns.
  const std::vector<std::string>& problems() const { return problems_; }
  // Why the run is not journalled when that is no failure (another run holds
  // the journal): for a notice, not a box. Empty otherwise.
  const std::string& notice() const { return notice_; }
  // The problems into the run's report, which is then not clean.
  void addTo(RunReport& report) const;

 protected:
  // The index's own operations, each 0 or an errno value: writing all of text,
  // syncing, reserving its first length bytes on the disk.
  virtual int writeIndex(int fd, std::string_view text);
  virtual int syncIndex(int fd);
  virtual int reserveIndex(int fd, uint64_t length);

 private:
  enum class State {
    Idle,       // no file replaced yet
    Recording,  // every replaced file kept and recorded
    Gap,        // recording ended: files are named, their content not kept
    Off,        // no journal for this run
  };

  bool begin();
  Kept keepContent(TargetFile& target, uint64_t number);
  // Appends text to the index (within the reserved room, leaving free bytes
  // beyond): 0 or an errno value; a failed append leaves no part line.
  int append(std::string_view text, uint64_t free);
  // Recording stops (the box says why); the index says so.
  void endRecording(int error);
  // An entry after the gap: named when there is room, counted otherwise.
  void name(JournalEntry entry);
  // The journal is removed: it cannot say what it holds.
  void drop(int error);
  void problem(const std::string& text, int error);

  FileLayer& files_;
  std::string folderPath_;
  Host& host_;
  Mode mode_;
  uint64_t copyLimit_;
  std::string description_;
  std::vector<std::string> drop_;
  JournalFolder folder_;
  State state_ = State::Idle;
  int index_ = -1;
  uint64_t next_ = 1;
  uint64_t copied_ = 0;
  uint64_t size_ = 0;      // bytes of whole lines in the index
  uint64_t synced_ = 0;    // of which on the disk
  uint64_t reserved_ = 0;  // bytes reserved on the disk
  bool reserving_ = true;  // false where the file system reserves nothing
  bool gapSynced_ = false;
  std::vector<JournalEntry> unsynced_;  // entries written since the last sync
  uint64_t unnamed_ = 0;
  bool finished_ = false;
  std::vector<std::string> problems_;
  std::string notice_;
};

// What a run does, in the words of the run confirmation: the step's description;
// for a COMBO!! run, a heading, then the lines of the COMBO!! text shown for its
// steps (comboText: TextCombo's, lines ended by CR LF).
std::string JournalDescription(const RunContext& ctx, std::string_view comboText = {});

// The folders of a run's targets as the journal records them: each dropped
// folder, and the folder of each file named as it is, links resolved.
std::vector<std::string> DropFoldersOf(const RunContext& ctx);

// The file layer of a journalled run: files as the real layer has them; every
// replacement is kept in the journal when it is completed, before it takes its
// name.
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
  std::vector<std::pair<std::string, FileStatus>> syncFolders(size_t atLeast) override {
    return real_.syncFolders(atLeast);
  }
  void removeLeftovers(const DropPath& folder) override { real_.removeLeftovers(folder); }
  FileStatus removeFile(const std::string& path) override { return real_.removeFile(path); }
  bool exists(const std::string& path) override { return real_.exists(path); }

 private:
  FileLayer& real_;
  JournalWriter& journal_;
};

}  // namespace kadrel
