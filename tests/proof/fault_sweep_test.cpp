// Every file operation of a run failing in turn, and a cancel at every yield: a
// run learns its operations from a run without faults, then each is made to fail
// (a read or write part way, a copy leaving nothing or half a file behind, a close
// losing buffered data) in a fresh folder.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <map>

#include "proof/run_world.h"

namespace kadrel::proof {
namespace {

const std::string kText = "head abc\r\nBEGIN\r\n  abc  \r\n\r\nline two\r\nEND\r\ntail\r\n";
const std::string kNoMatch = "nothing here\r\n\r\n  \r\n";
const std::string kLf = "first\nsecond abc\nthird\n";

struct Named {
  const char* name;
  Scenario scenario;
};

Scenario Make(std::vector<std::string> steps, bool combo, std::vector<Scenario::File> files,
              int16_t bkupEdit = 1, int16_t updateNoFile = 1, int16_t selFile = 0) {
  Scenario s;
  s.steps = std::move(steps);
  s.combo = combo;
  s.files = std::move(files);
  s.options.BkupEdit = bkupEdit;
  s.options.UpdateNoFile = updateNoFile;
  s.options.SelFile = selFile;
  return s;
}

std::vector<Named> Scenarios() {
  const std::vector<Scenario::File> three = {
      {"a.txt", kText}, {"b.txt", kNoMatch}, {"c.txt", kText + kText}};
  return {
      {"replace, backups kept, no-match files restored",
       Make({"0,0,abc,0,XYZ,#"}, false, three, 1, 0)},
      {"replace, backups deleted", Make({"0,0,abc,4,,#"}, false, three, 0, 1)},
      {"line ends", Make({"1,#"}, false, {{"a.txt", kLf}, {"b.txt", kText}}, 0)},
      {"line head", Make({"2,0,1,1,1,0,>>,0,0,#"}, false, three, 0)},
      {"numbering", Make({"2,1,0,2,0,0,,010,5,#"}, false, three, 1)},
      {"blank deletion", Make({"5,1,1,1,0,1,#"}, false, three, 0)},
      {"keyword range extraction", Make({"3,BEGIN,END,#"}, false, three)},
      {"joint result file", Make({"4,abc,False,two,False,,#"}, false, three, 1, 1, 1)},
      {"COMBO!!", Make({"0,0,abc,0,XYZ,#", "3,BEGIN,END,#", "5,1,0,0,0,1,#"}, true,
                       {{"a.txt", kText}, {"b.txt", kText}}, 0)},
      {"COMBO!! with line ends first",
       Make({"1,#", "2,0,0,1,1,0,#,0,0,#", "4,XYZ,True,,True,,#", "0,0,abc,3,,#"}, true,
            {{"a.txt", kLf}, {"b.txt", kText}}, 1)},
  };
}

// The faults to try for each operation the run made, naming paths relative to the
// run's folder so that they fit a fresh one.
std::vector<Fault> FaultsOf(const World& golden) {
  std::vector<Fault> faults;
  std::map<std::pair<Op, std::string>, int> count;
  for (const OpRecord& r : golden.files.log) {
    const std::string path = r.path.substr(golden.root().size());
    const int n = ++count[{r.op, path}];
    const long bytes = *r.bytes;
    switch (r.op) {
      case Op::OpenRead:
        faults.push_back({Op::OpenRead, path, n, 0, EIO});
        break;
      case Op::Read:
        for (long b : {0L, bytes / 2})
          if (b < bytes || bytes == 0) faults.push_back({Op::Read, path, n, b, EIO});
        break;
      case Op::OpenWrite:
        faults.push_back({Op::OpenWrite, path, n, 0, EACCES});
        faults.push_back({Op::Write, path, n, 0, ENOSPC});
        if (bytes > 1) faults.push_back({Op::Write, path, n, bytes / 2, ENOSPC});
        faults.push_back({Op::Close, path, n, -1, ENOSPC});
        faults.push_back({Op::Close, path, n, bytes / 2, ENOSPC});
        break;
      case Op::Sync:
        faults.push_back({Op::Sync, path, n, 0, ENOSPC});
        break;
      case Op::Commit:
        faults.push_back({Op::Commit, path, n, 0, EACCES});
        break;
      case Op::Copy:
        faults.push_back({Op::Copy, path, n, 0, ENOSPC});
        break;
      case Op::Remove:
        faults.push_back({Op::Remove, path, n, 0, EACCES});
        break;
      default:
        break;
    }
  }
  return faults;
}

std::string Name(const Fault& f) {
  return std::string(OpName(f.op)) + " #" + std::to_string(f.occurrence) + " of " + f.path + " (" +
         std::to_string(f.bytes) + " bytes)";
}

class FaultSweep : public testing::TestWithParam<size_t> {
 protected:
  FaultSweep() : named_(Scenarios().at(GetParam())), scenario(named_.scenario) {}

 private:
  Named named_;

 protected:
  const Scenario& scenario;
};

TEST_P(FaultSweep, EveryFileOperationFailingInTurnLosesNothing) {
  const auto after = NewContents(scenario);
  World golden(scenario);
  golden.run();
  bool changed = false;
  for (size_t i = 0; i < after.size(); ++i)
    changed = changed || after[i] != scenario.files[i].content;
  EXPECT_EQ(changed, scenario.steps[0][0] != '3' && scenario.steps[0][0] != '4');
  const auto faults = FaultsOf(golden);
  for (const Fault& fault : faults) {
    SCOPED_TRACE(Name(fault));
    World w(scenario);
    w.files.faults = {fault};
    w.run();
    EXPECT_EQ(BrokenPromises(w, after), std::vector<std::string>{});
    // A failure is never passed over in silence (a failed deletion is ignored by design).
    if (w.files.fired > 0 && fault.op != Op::Remove) {
      EXPECT_FALSE(w.host.boxes.empty());
    }
    if (w.host.boxes.empty()) {  // nothing reported: the run did all its work
      for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_TRUE(test::ReadFile(w.path(scenario.files[i].name)) == after[i]);
      }
    }
  }
  std::printf("[   PROOF  ] %zu fault runs\n", faults.size());
  EXPECT_GT(faults.size(), 10u);
}

TEST_P(FaultSweep, CancelAtEveryLineLeavesEveryFileWhole) {
  const auto after = NewContents(scenario);
  World golden(scenario);
  golden.run();
  ASSERT_GT(golden.host.yields, 5);
  for (long n = 1; n <= golden.host.yields; ++n) {
    SCOPED_TRACE("cancel at yield " + std::to_string(n));
    World w(scenario);
    w.cancelAtYield = n;
    w.run();
    EXPECT_TRUE(w.context().CancelFlag.load());
    EXPECT_EQ(w.boxes(), std::vector<std::string>{});
    for (size_t i = 0; i < after.size(); ++i) {
      const std::string content = test::ReadFile(w.path(scenario.files[i].name));
      EXPECT_TRUE(content == scenario.files[i].content || content == after[i])
          << scenario.files[i].name << ": " << content;
    }
    // Once cancelled, the run touches no file after the one it was processing.
    bool beyond = false;
    for (size_t i = 0; i < after.size(); ++i) {
      if (beyond) {
        EXPECT_FALSE(test::FileExists(w.backupOf(scenario.files[i].name)));
        EXPECT_TRUE(test::ReadFile(w.path(scenario.files[i].name)) == scenario.files[i].content);
      }
      beyond = beyond || w.report().targets.at(i).outcome == TargetOutcome::NotReached;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, FaultSweep, testing::Range<size_t>(0, Scenarios().size()),
                         [](const testing::TestParamInfo<size_t>& info) {
                           std::string name = Scenarios()[info.param].name;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace kadrel::proof
