// A run in a temporary folder of its own: target files, a program folder, and
// the test kit's recording host and scripted file layer. A scenario
// is run once without faults to learn every target's new content; the same
// scenario run with a fault must then leave every target with its previous or its
// new content, or its previous content in its backup copy.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "run/run_context.h"
#include "run/run_report.h"
#include "support/fake_files.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"

namespace kadrel::proof {

using test::Fault;
using test::Op;
using test::OpName;
using test::OpRecord;

struct Scenario {
  struct File {
    std::string name;
    std::string content;
  };
  std::vector<File> files;
  // One step line for a plain run; the step list of a COMBO!! run.
  std::vector<std::string> steps;
  bool combo = false;
  RunOptions options;
};

class World {
 public:
  explicit World(const Scenario& scenario);

  // Prepares the run as START does (the START checks, a plain run's step checked)
  // and runs it. A refused run is a fault of the test.
  void run();
  // The context of the last run, and what it did.
  const RunContext& context() const { return *ctx_; }
  const RunReport& report() const { return report_; }

  std::string path(const std::string& name) const { return dir_.file(name); }
  const std::string& root() const { return dir_.path(); }
  std::string backupOf(const std::string& name) const;
  // The box texts, "title|text" each ("" title for the default one).
  std::vector<std::string> boxes() const;

  const Scenario& scenario;
  // The target file list, the scenario's files in order.
  std::vector<std::string> targets;
  // Targets the test itself deletes while the run goes on: not the run's to keep.
  std::set<std::string> deletedByTest;
  // The run is cancelled at this yield (1-based; 0 never).
  long cancelAtYield = 0;
  test::FakeHost host;
  test::FakeFiles files;

 private:
  test::TempDir dir_;
  std::unique_ptr<RunContext> ctx_;
  RunReport report_;
};

// Every target's content after a run of the scenario without faults.
std::vector<std::string> NewContents(const Scenario& scenario);

// The promise of the run: every target holds its previous or its complete new
// content, or else its backup copy holds the previous content; a target changed to
// anything else was reported in a box; no box names an empty path. Returns the
// failures found (empty when the promise holds).
std::vector<std::string> BrokenPromises(const World& world, const std::vector<std::string>& after);

}  // namespace kadrel::proof
