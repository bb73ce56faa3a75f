// Files whose new content is complete, waiting to take their names: the
// replacements of targets and the result files. They are completed together, so
// that the syncs of many small files overlap on the disk, and then renamed in
// list order; the folders they were renamed in are synced once each before the
// run ends. A file's own boxes (its backup copy, a full disk found by the sync)
// come at that moment, and its target's outcome is settled then.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "io/file_layer.h"
#include "run/run_report.h"

namespace kadrel {

struct RunState;

// Where a target's job leaves what it made.
class FinishedSink {
 public:
  virtual ~FinishedSink() = default;
  // A target's replacement, its lock held until then; with backup, the target's
  // previous content is kept there first. Committed, list entry index is Replaced.
  virtual void addReplacement(size_t index, std::unique_ptr<TargetFile> target,
                              std::unique_ptr<NewFile> replacement,
                              std::optional<DropPath> backup) = 0;
  // A result file; committed, the list entries of indexes are Extracted.
  virtual void addResult(std::vector<size_t> indexes, std::unique_ptr<NewFile> result,
                         std::string path) = 0;
};

class FinishedFiles : public FinishedSink {
 public:
  explicit FinishedFiles(RunState& run) : run_(run) {}
  FinishedFiles(const FinishedFiles&) = delete;
  FinishedFiles& operator=(const FinishedFiles&) = delete;

  void addReplacement(size_t index, std::unique_ptr<TargetFile> target,
                      std::unique_ptr<NewFile> replacement,
                      std::optional<DropPath> backup) override;
  void addResult(std::vector<size_t> indexes, std::unique_ptr<NewFile> result,
                 std::string path) override;

  // Commits what has gathered once it is enough to share the disk's flushes.
  void commitIfMany();
  // Commits everything (the end of the run, a cancel, an error that ends it),
  // and syncs every folder that received a name.
  void commitAll();

  // A file waiting for its name.
  struct Entry {
    std::vector<size_t> indexes;         // the list entries it settles
    std::unique_ptr<TargetFile> target;  // null for a result
    std::unique_ptr<NewFile> file;
    std::string path;  // the name the boxes show
    std::optional<DropPath> backup;
  };
  void add(Entry entry);

 private:
  void commitBatch();
  // Syncs the folders that received names (at least that many: each waits
  // with a descriptor), telling of those that failed.
  void syncFolders(size_t atLeast);
  void settle(const Entry& entry, TargetOutcome outcome);

  RunState& run_;
  std::vector<Entry> entries_;
  uint64_t bytes_ = 0;
};

// What one target's job made while it was prepared ahead, held for its turn:
// dropped with it (the new files removed, the target unlocked) when the turn
// never comes.
class HeldFinished : public FinishedSink {
 public:
  // listedPath: the target's name in the list, as its boxes show it.
  explicit HeldFinished(std::string listedPath = {}) : listedPath_(std::move(listedPath)) {}

  void addReplacement(size_t index, std::unique_ptr<TargetFile> target,
                      std::unique_ptr<NewFile> replacement,
                      std::optional<DropPath> backup) override;
  void addResult(std::vector<size_t> indexes, std::unique_ptr<NewFile> result,
                 std::string path) override;
  // Completes the files held (their attributes, their data on the disk) where
  // they were made, so that only their names are left for the turn.
  void complete();
  // Hands everything on, in the order it came.
  void handTo(FinishedFiles& to);

 private:
  std::string listedPath_;
  std::vector<FinishedFiles::Entry> held_;
};

}  // namespace kadrel
