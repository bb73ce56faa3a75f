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

class FinishedFiles {
 public:
  explicit FinishedFiles(RunState& run) : run_(run) {}
  FinishedFiles(const FinishedFiles&) = delete;
  FinishedFiles& operator=(const FinishedFiles&) = delete;

  // A target's replacement, its lock held until then; with backup, the target's
  // previous content is kept there first. Committed, list entry index is Replaced.
  void addReplacement(size_t index, std::unique_ptr<TargetFile> target,
                      std::unique_ptr<NewFile> replacement, std::optional<DropPath> backup);
  // A result file; committed, the list entries of indexes are Extracted.
  void addResult(std::vector<size_t> indexes, std::unique_ptr<NewFile> result, std::string path);

  // Commits what has gathered once it is enough to share the disk's flushes.
  void commitIfMany();
  // Commits everything (the end of the run, a cancel, an error that ends it),
  // and syncs every folder that received a name.
  void commitAll();

 private:
  void commitBatch();
  // Syncs the folders that received names (at least that many: each waits
  // with a descriptor), telling of those that failed.
  void syncFolders(size_t atLeast);
  struct Entry {
    std::vector<size_t> indexes;         // the list entries it settles
    std::unique_ptr<TargetFile> target;  // null for a result
    std::unique_ptr<NewFile> file;
    std::string path;  // the name the boxes show
    std::optional<DropPath> backup;
  };
  void settle(const Entry& entry, TargetOutcome outcome);

  RunState& run_;
  std::vector<Entry> entries_;
  uint64_t bytes_ = 0;
};

}  // namespace kadrel
