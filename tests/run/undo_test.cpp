// The undo journal and the undo of the last run, over real files in a
// temporary folder: what a run replaced is given back byte for byte, a file
// changed since is left alone and named, and a kill during the run or the undo
// loses nothing that the next undo cannot finish.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "combo/step_line.h"
#include "core/program_folder.h"
#include "core/target_list.h"
#include "io/content_hash.h"
#include "run/run_context.h"
#include "run/run_driver.h"
#include "run/undo/journal_folder.h"
#include "run/undo/journalled_files.h"
#include "run/undo/undo_run.h"
#include "support/fake_files.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"

namespace kadrel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

// A journal whose index fails as a full or failing disk makes it fail: the
// writes, syncs and reservations numbered here (counted from 1) give error.
class FaultyJournal : public JournalWriter {
 public:
  using JournalWriter::JournalWriter;
  std::set<int> writes, syncs, reserves;
  int error = ENOSPC;

 protected:
  int writeIndex(int fd, std::string_view text) override {
    return writes.count(++written_) ? error : JournalWriter::writeIndex(fd, text);
  }
  int syncIndex(int fd) override {
    return syncs.count(++synced_) ? error : JournalWriter::syncIndex(fd);
  }
  int reserveIndex(int fd, uint64_t length) override {
    return reserves.count(++reserved_) ? error : JournalWriter::reserveIndex(fd, length);
  }

 private:
  int written_ = 0, synced_ = 0, reserved_ = 0;
};

class UndoTest : public testing::Test {
 protected:
  std::string journal() const { return dir.file("KadrelUndo"); }

  // Replaces "foo" by "bar" in the named files, journalled by writer.
  RunReport run(const std::vector<std::string>& names, JournalWriter& writer,
                FileLayer& real = SystemFileLayer(), int16_t bkupEdit = 0) {
    JournalledFiles files(real, writer);
    RunContext ctx(host, files);
    ctx.options.BkupEdit = bkupEdit;
    ctx.options.UpdateNoFile = 0;
    for (const std::string& name : names) ctx.targets.push_back(dir.file(name));
    ctx.StepArr = SplitStepLine("0,0,foo,0,bar,0,#");
    writer.describe(JournalDescription(ctx));
    writer.setDrop(DropFoldersOf(ctx));
    RunReport report = RunAll(ctx);
    writer.finish();
    writer.addTo(report);
    return report;
  }
  void run(const std::vector<std::string>& names, uint64_t copyLimit = kJournalCopyLimit,
           FileLayer& real = SystemFileLayer(), int16_t bkupEdit = 0) {
    JournalWriter writer(real, journal(), host, JournalWriter::Mode::Keep, copyLimit);
    run(names, writer, real, bkupEdit);
  }

  UndoOutcome undo(FileLayer& files = SystemFileLayer()) {
    const std::atomic<bool> cancel{false};
    FileStatus status;
    UndoOutcome outcome = UndoLastRun(files, journal(), cancel, status);
    EXPECT_TRUE(status.ok()) << status.text;
    return outcome;
  }

  // Runs work in a child process that is killed (exits at once) at the n-th
  // commit of a new file.
  void killedAtCommit(int n, const std::function<void(FileLayer&)>& work) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      test::FakeFiles files;
      int commits = 0;
      files.before = [&](test::Op op, const std::string&) {
        if (op == test::Op::Commit && ++commits == n) ::_exit(0);
      };
      work(files);
      ::_exit(1);  // the kill never came
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "not killed at commit " << n;
  }

  // Appends to the journal's index a line that makes the kept file number a
  // link kept of path, which holds its present content as the run's.
  void plant(const std::string& path, uint64_t number, const std::string& kept) {
    const std::string keptPath = journal() + "/" + std::to_string(number);
    WriteFile(keptPath, kept);
    struct stat st;
    ASSERT_EQ(::stat(keptPath.c_str(), &st), 0);
    ContentHash hash;
    hash.add(ReadFile(path));
    JournalEntry e;
    e.kept = Kept::Link;
    e.number = number;
    e.previous = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    e.keptSize = static_cast<uint64_t>(st.st_size);
    e.keptModified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    e.writtenSize = hash.size();
    e.writtenHash = hash.value();
    e.path = path;
    WriteFile(journal() + "/index", ReadFile(journal() + "/index") + JournalLine(e));
  }

  std::vector<std::string> names(const std::vector<std::string>& paths) {
    std::vector<std::string> out;
    for (const std::string& path : paths) out.push_back(fs::path(path).filename());
    return out;
  }

  test::TempDir dir;
  test::FakeHost host;
};

TEST(JournalIndexTest, ReadsBackWhatWasWrittenAndOnlyWholeLines) {
  JournalEntry odd;
  odd.kept = Kept::Copy;
  odd.number = 7;
  odd.previous = {64769, 123456789012};
  odd.keptSize = 5;
  odd.keptModified = 1700000000123456789;
  odd.writtenSize = 6;
  odd.writtenHash = 0xfedcba9876543210;
  odd.path = "/home/a b/100%\n\xff\x81.txt";
  JournalEntry none = odd;
  none.kept = Kept::None;
  none.path = "/x";
  const std::string step = "文字列置換　置換前文字列 a b  置換後文字列 100%\n2 行目";
  odd.keptLinks = 3;
  odd.written = {64769, 42};
  const std::string text =
      JournalHeader(1700000000, {}, {"/home/a b/"}) + JournalLine(odd) + JournalLine(none);
  JournalEntry earlier;  // a line of the first version: no link count, no written file
  earlier.kept = Kept::Link;
  earlier.number = 1;
  earlier.previous = {2, 3};
  earlier.keptSize = 4;
  earlier.keptModified = 5;
  earlier.writtenSize = 6;
  earlier.writtenHash = 0xff;
  earlier.path = "/x";
  const std::string gap =
      JournalHeader(1, {}) + JournalLine(odd) + JournalGapLine() + JournalLine(none);
  struct Case {
    std::string name, text;
    std::optional<std::vector<JournalEntry>> entries;  // nothing: no index
    std::string description{};
    bool gap = false;
    uint64_t unnamed = 0;
  } cases[] = {
      {"whole", text, std::vector<JournalEntry>{odd, none}},
      {"last line cut by a kill", text.substr(0, text.size() - 2), std::vector<JournalEntry>{odd}},
      {"header alone", JournalHeader(1, {}), std::vector<JournalEntry>{}},
      {"of the first version", "Kadrel undo journal 1 5\nlink 1 2 3 4 5 6 00000000000000ff /x\n",
       std::vector<JournalEntry>{earlier}},
      {"stopped recording", gap, std::vector<JournalEntry>{odd, none}, "", true},
      {"stopped, files left unnamed", gap + JournalUnnamedLine(7),
       std::vector<JournalEntry>{odd, none}, "", true, 7},
      {"a kept content after the stop", gap + JournalLine(odd), std::nullopt},
      {"another file", "Kadrel.ini\n", std::nullopt},
      {"a damaged line", JournalHeader(1, {}) + "lnk 1 2 3 4 5 6 0 /x\n", std::nullopt},
      {"a path cut in an escape", JournalHeader(1, {}) + "link 1 2 3 4 5 6 7 8 9 0 /x%4\n",
       std::nullopt},
      {"with what the run did", JournalHeader(1, step) + JournalLine(none),
       std::vector<JournalEntry>{none}, step},
      {"without what the run did", "Kadrel undo journal 2 1700000000\n" + JournalLine(none),
       std::vector<JournalEntry>{none}},
      {"a description cut in an escape", "Kadrel undo journal 1 1 x%4\n", std::nullopt},
      {"a time that is no number", "Kadrel undo journal 1 1x\n", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<JournalIndex> index = ParseJournal(c.text);
    ASSERT_EQ(index.has_value(), c.entries.has_value());
    if (index) {
      EXPECT_EQ(index->entries, *c.entries);
      EXPECT_EQ(index->description, c.description);
      EXPECT_EQ(index->gap, c.gap);
      EXPECT_EQ(index->unnamed, c.unnamed);
    }
  }
  EXPECT_EQ(ParseJournal(text)->dropFolders, std::vector<std::string>{"/home/a b/"});
}

TEST_F(UndoTest, GivesBackWhatTheRunReplacedLeavingFilesChangedSince) {
  struct Case {
    std::string name;
    std::function<void(const test::TempDir&)> afterRun;  // what happens between run and undo
    std::map<std::string, std::string> expected;
    std::vector<std::string> changedSince, failed;
  } cases[] = {
      {"every file back byte for byte",
       [](const test::TempDir&) {},
       {{"a.txt", "foo\r\n\xff\x80 foo"}, {"b.txt", "x foo\r\nfoo\r\n"}, {"c.txt", "nothing\r\n"}},
       {},
       {}},
      {"a file rewritten since stays",
       [](const test::TempDir& t) { WriteFile(t.file("b.txt"), "mine\r\n"); },
       {{"a.txt", "foo\r\n\xff\x80 foo"}, {"b.txt", "mine\r\n"}, {"c.txt", "nothing\r\n"}},
       {"b.txt"},
       {}},
      {"same size, other bytes: changed",
       [](const test::TempDir& t) { WriteFile(t.file("b.txt"), "x bar\r\nbaz\r\n"); },
       {{"a.txt", "foo\r\n\xff\x80 foo"}, {"b.txt", "x bar\r\nbaz\r\n"}, {"c.txt", "nothing\r\n"}},
       {"b.txt"},
       {}},
      {"a link put at its name is not followed",
       [](const test::TempDir& t) {
         fs::remove(t.file("a.txt"));
         fs::create_symlink(t.file("c.txt"), t.file("a.txt"));
       },
       {{"b.txt", "x foo\r\nfoo\r\n"}, {"c.txt", "nothing\r\n"}},
       {},
       {"a.txt"}},
      {"the previous content changed through another name of it",
       [](const test::TempDir& t) { WriteFile(t.file("b.link"), "other\r\n"); },
       {{"a.txt", "foo\r\n\xff\x80 foo"}, {"b.txt", "x bar\r\nbar\r\n"}},
       {},
       {"b.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir.path());
    fs::create_directories(dir.path());
    WriteFile(dir.file("a.txt"), "foo\r\n\xff\x80 foo");
    WriteFile(dir.file("b.txt"), "x foo\r\nfoo\r\n");
    WriteFile(dir.file("c.txt"), "nothing\r\n");  // not replaced: not journalled
    fs::create_hard_link(dir.file("b.txt"), dir.file("b.link"));
    run({"a.txt", "b.txt", "c.txt"});
    ASSERT_EQ(ReadFile(dir.file("b.txt")), "x bar\r\nbar\r\n");
    c.afterRun(dir);

    const UndoOutcome outcome = undo();
    for (const auto& [name, content] : c.expected) EXPECT_EQ(ReadFile(dir.file(name)), content);
    // A file given back is the very file the run replaced: its other name is its
    // again.
    if (ReadFile(dir.file("b.txt")) == "x foo\r\nfoo\r\n") {
      EXPECT_TRUE(fs::equivalent(dir.file("b.txt"), dir.file("b.link")));
    }
    std::vector<std::string> changed, failed;
    for (const std::string& path : outcome.changedSince)
      changed.push_back(fs::path(path).filename());
    for (const auto& [path, why] : outcome.failed) failed.push_back(fs::path(path).filename());
    EXPECT_EQ(changed, c.changedSince);
    EXPECT_EQ(failed, c.failed);
    // Once every file is dealt with there is nothing left to take back.
    EXPECT_EQ(ReadJournalIndex(journal()).has_value(), !c.failed.empty());
  }
}

// The question names what the run did (a COMBO!! run: each step) and the folders
// of its files, the first few of each.
TEST(UndoQuestionTest, NamesTheStepAndTheFolders) {
  const auto index = [](std::string description, const std::vector<std::string>& paths,
                        std::vector<std::string> dropped = {}) {
    JournalIndex i;
    i.description = std::move(description);
    i.dropFolders = std::move(dropped);
    for (const std::string& path : paths) {
      JournalEntry e;
      e.kept = Kept::Link;
      e.path = path;
      i.entries.push_back(e);
    }
    return i;
  };
  struct Case {
    std::string name;
    JournalIndex index;
    std::vector<std::string> lines;  // between the first line and "処理の後で…"
  } cases[] = {
      {"one step, one folder",
       index("文字列置換　置換前文字列 a", {"/d/a.txt", "/d/b.txt"}),
       {"処理: 文字列置換　置換前文字列 a", "フォルダ: /d/"}},
      {"folders in the order met",
       index("空白行・文字削除", {"/d/x/a.txt", "/d/a.txt", "/d/x/b.txt"}),
       {"処理: 空白行・文字削除", "フォルダ: /d/x/", "　　/d/"}},
      {"more folders than shown",
       index("s", {"/1/a", "/2/a", "/3/a", "/4/a", "/5/a"}),
       {"処理: s", "フォルダ: /1/", "　　/2/", "　　/3/", "　　ほか 2 フォルダ"}},
      {"a COMBO!! run",
       index("連続実行（COMBO!!） 7 処理\ns1\ns2\ns3\ns4\ns5\ns6\ns7", {"/d/a"}),
       {"処理: 連続実行（COMBO!!） 7 処理", "　　s1", "　　s2", "　　s3", "　　s4", "　　s5",
        "　　ほか 2 処理", "フォルダ: /d/"}},
      {"a journal that does not say", index("", {"/d/a"}), {"フォルダ: /d/"}},
      {"the folders dropped, not those below them",
       index("s", {"/d/x/a", "/e/b", "/d/y/z/c", "/d/a"}, {"/d/", "/e/"}),
       {"処理: s", "フォルダ: /d/", "　　/e/"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> lines;
    const std::string text = UndoQuestion(c.index);
    for (size_t at = 0; at <= text.size();) {
      const size_t end = std::min(text.find('\r', at), text.size());
      lines.push_back(text.substr(at, end - at));
      at = end + 1;
    }
    ASSERT_GE(lines.size(), c.lines.size() + 3);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 1 + c.lines.size()),
              c.lines);
    EXPECT_EQ(lines[1 + c.lines.size()], "処理の後で変更されたファイルはそのままにします。");
  }
}

// The journal records what the run did, as its confirmation words it: a COMBO!!
// run, every step.
TEST_F(UndoTest, TheJournalRecordsWhatTheRunDid) {
  WriteFile(dir.file("a.txt"), "foo\r\n");
  run({"a.txt"});
  const std::optional<JournalIndex> index = ReadJournalIndex(journal());
  ASSERT_TRUE(index);
  EXPECT_EQ(index->description, "文字列置換　置換前文字列 foo  置換後文字列 bar");

  test::FakeHost host;
  RunContext combo(host, SystemFileLayer());
  combo.ComboRun = true;
  combo.steps = {"0,0,foo,0,bar,#", "1,#"};
  EXPECT_EQ(JournalDescription(combo, "<< 整形 >>\r\nstep one\r\n\r\nstep two\r\n"),
            "連続実行（COMBO!!） 2 処理\n<< 整形 >>\nstep one\nstep two");
}

TEST_F(UndoTest, OnlyTheLastRunThatReplacedFilesIsTakenBack) {
  WriteFile(dir.file("a.txt"), "foo\r\n");
  WriteFile(dir.file("b.txt"), "foo foo\r\n");
  run({"a.txt"});
  run({"b.txt"});
  run({"a.txt"});  // replaces nothing: the journal stays the second run's
  const UndoOutcome outcome = undo();
  EXPECT_EQ(outcome.restored, 1u);
  EXPECT_EQ(ReadFile(dir.file("a.txt")), "bar\r\n");
  EXPECT_EQ(ReadFile(dir.file("b.txt")), "foo foo\r\n");
}

TEST_F(UndoTest, APrivilegedFileIsCopiedWithinTheLimitAndNamedPastIt) {
  struct Case {
    uint64_t copyLimit;
    std::string afterUndo;
    size_t notKept;
  } cases[] = {{1 << 20, "foo\r\n", 0}, {2, "bar\r\n", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.copyLimit);
    WriteFile(dir.file("tool.sh"), "foo\r\n");
    ::chmod(dir.file("tool.sh").c_str(), 04755);  // never linked: the link would keep the bit
    run({"tool.sh"}, c.copyLimit);
    const std::optional<JournalIndex> index = ReadJournalIndex(journal());
    ASSERT_TRUE(index);
    EXPECT_NE(UndoQuestion(*index).find("元に戻せません") != std::string::npos, c.notKept == 0);
    const UndoOutcome outcome = undo();
    EXPECT_EQ(outcome.notKept.size(), c.notKept);
    EXPECT_EQ(ReadFile(dir.file("tool.sh")), c.afterUndo);
  }
}

TEST_F(UndoTest, AKillDuringTheRunOrTheUndoIsFinishedByTheNextUndo) {
  const std::map<std::string, std::string> before = {
      {"a.txt", "foo 1\r\n"}, {"b.txt", "foo 2\r\n"}, {"c.txt", "foo 3\r\n"}};
  struct Case {
    std::string name;
    int killedInRunAt, killedInUndoAt;  // the commit killed, 0: none
  } cases[] = {{"run killed at its second file", 2, 0},
               {"undo killed at its second file", 0, 2},
               {"undo killed at its last file", 0, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [name, content] : before) WriteFile(dir.file(name), content);
    std::vector<std::string> names;
    for (const auto& entry : before) names.push_back(entry.first);
    if (c.killedInRunAt > 0) {
      killedAtCommit(c.killedInRunAt,
                     [&](FileLayer& files) { run(names, kJournalCopyLimit, files); });
    } else {
      run(names);
    }
    if (c.killedInUndoAt > 0)
      killedAtCommit(c.killedInUndoAt, [&](FileLayer& files) { undo(files); });
    const UndoOutcome outcome = undo();
    EXPECT_TRUE(outcome.changedSince.empty() && outcome.failed.empty());
    for (const auto& [name, content] : before) EXPECT_EQ(ReadFile(dir.file(name)), content) << name;
    for (const auto& entry : fs::directory_iterator(dir.path()))
      EXPECT_FALSE(entry.path().filename().string().starts_with(".kadrel-temp-"));
  }
}

TEST_F(UndoTest, AJournalThatCannotRecordSaysSoAndItsUndoNamesWhatItCannotTakeBack) {
  struct Case {
    std::string name;
    std::set<int> writes, syncs, reserves;  // the index's failing calls
    int error;
    bool journalLeft;  // an undo finds what the journal recorded
    std::vector<std::string> restored, notKept;
    uint64_t unnamed;
  } cases[] = {
      {"no room for the index at the start", {}, {}, {1}, ENOSPC, false, {}, {}, 0},
      {"the index's first line cannot be synced", {}, {1}, {}, EIO, false, {}, {}, 0},
      {"a full disk at the second file's line",
       {3},
       {},
       {},
       ENOSPC,
       true,
       {"a.txt"},
       {"b.txt", "c.txt"},
       0},
      {"the files' lines cannot be synced",
       {},
       {2},
       {},
       EIO,
       true,
       {},
       {"a.txt", "b.txt", "c.txt"},
       0},
      {"no room left to name the files either", {3, 5, 6}, {}, {}, ENOSPC, true, {"a.txt"}, {}, 2},
  };
  const std::vector<std::string> files = {"a.txt", "b.txt", "c.txt"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir.path());
    fs::create_directories(dir.path());
    for (const std::string& f : files) WriteFile(dir.file(f), "foo " + f + "\r\n");
    host.boxes.clear();
    RunReport report;
    {
      FaultyJournal writer(SystemFileLayer(), journal(), host);
      writer.writes = c.writes;
      writer.syncs = c.syncs;
      writer.reserves = c.reserves;
      writer.error = c.error;
      report = run(files, writer);
    }
    // The run goes on, and says once that it cannot be taken back whole.
    for (const std::string& f : files) EXPECT_EQ(ReadFile(dir.file(f)), "bar " + f + "\r\n");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].text.find("[ " + journal() + " ]"), std::string::npos);
    EXPECT_EQ(report.runProblems, std::vector<std::string>{host.boxes[0].text});
    EXPECT_FALSE(report.clean());

    const std::atomic<bool> cancel{false};
    FileStatus status;
    const UndoOutcome outcome = UndoLastRun(SystemFileLayer(), journal(), cancel, status);
    if (!c.journalLeft) {
      EXPECT_EQ(status.code, ENOENT);
      continue;
    }
    ASSERT_TRUE(status.ok()) << status.text;
    std::vector<std::string> restored;
    for (const std::string& f : files)
      if (ReadFile(dir.file(f)) == "foo " + f + "\r\n") restored.push_back(f);
    EXPECT_EQ(restored, c.restored);
    EXPECT_EQ(outcome.restored, c.restored.size());
    EXPECT_EQ(names(outcome.notKept), c.notKept);
    EXPECT_TRUE(outcome.incomplete);
    EXPECT_EQ(outcome.unnamed, c.unnamed);
    // Never "all restored" alone.
    EXPECT_EQ(UndoOutcomeBox(outcome).icon, BoxIcon::Exclamation);
  }
}

// A journal folder that another user could have written to is never trusted: a
// run keeps nothing there and an undo does nothing, each saying so.
TEST_F(UndoTest, AJournalFolderOthersCouldWriteToIsNeverUsed) {
  const struct {
    std::string name;
    std::function<int(const std::string&)> loosen;
    bool asRoot;
  } cases[] = {
      {"writable by everyone", [](const std::string& p) { return ::chmod(p.c_str(), 0777); },
       false},
      {"writable by its group", [](const std::string& p) { return ::chmod(p.c_str(), 0770); },
       false},
      {"another user's", [](const std::string& p) { return ::chown(p.c_str(), 65534, 65534); },
       true},
  };
  for (const auto& c : cases) {
    if (c.asRoot && ::geteuid() != 0) continue;
    SCOPED_TRACE(c.name);
    fs::remove_all(dir.path());
    fs::create_directories(dir.path());
    WriteFile(dir.file("a.txt"), "foo 1\r\n");
    WriteFile(dir.file("b.txt"), "foo 2\r\n");
    WriteFile(dir.file("victim.txt"), "mine\r\n");
    run({"a.txt"});
    plant(dir.file("victim.txt"), 9, "planted\r\n");
    ASSERT_EQ(c.loosen(journal()), 0);

    const std::atomic<bool> cancel{false};
    FileStatus status;
    UndoLastRun(SystemFileLayer(), journal(), cancel, status);
    EXPECT_EQ(status.code, kErrJournalNotPrivate);
    EXPECT_NE(UndoRefusalBox(status).text.find("[ " + journal() + " ]"), std::string::npos);
    EXPECT_EQ(ReadFile(dir.file("victim.txt")), "mine\r\n");
    EXPECT_EQ(ReadFile(dir.file("a.txt")), "bar 1\r\n");

    host.boxes.clear();
    run({"b.txt"});
    EXPECT_EQ(ReadFile(dir.file("b.txt")), "bar 2\r\n");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].text.find("[ " + journal() + " ]"), std::string::npos);
    EXPECT_TRUE(test::FileExists(journal() + "/9"));  // nothing there was touched
  }
}

// Entries that are not the run's own are refused one by one; the others go back.
TEST_F(UndoTest, EntriesThatAreNotTheRunsAreRefusedOneByOne) {
  test::TempDir outside;
  const std::string refused = "処理したフォルダーの外を指しているため、戻しません。";
  const std::string keptChanged = "保存しておいた以前の内容が変更されています。";
  const struct {
    std::string name;
    std::function<void()> tamper;
    std::string failed, why, changedSince;  // the entry refused and why, or left as changed
  } cases[] = {
      {"a line naming a file outside the run's folders",
       [&] { plant(outside.file("victim.txt"), 9, "planted\r\n"); }, "victim.txt", refused, ""},
      {"a line whose path climbs out of them",
       [&] {
         plant(dir.file("../" + fs::path(outside.path()).filename().string() + "/victim.txt"), 9,
               "planted\r\n");
       },
       "victim.txt", refused, ""},
      {"the kept content swapped for a file of its size and time",
       [&] {
         const std::string kept = journal() + "/1";
         struct stat st;
         ::stat(kept.c_str(), &st);
         fs::create_hard_link(kept, outside.file("held"));  // its inode is not reused
         fs::remove(kept);
         WriteFile(kept, "FOO 1\r\n");
         const timespec times[2] = {st.st_atim, st.st_mtim};
         ::utimensat(AT_FDCWD, kept.c_str(), times, 0);
       },
       "a.txt", keptChanged, ""},
      {"the file replaced since by another holding the same bytes",
       [&] {
         WriteFile(dir.file("copy"), ReadFile(dir.file("a.txt")));
         fs::rename(dir.file("copy"), dir.file("a.txt"));
       },
       "", "", "a.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir.path());
    fs::create_directories(dir.path());
    WriteFile(dir.file("a.txt"), "foo 1\r\n");
    WriteFile(dir.file("b.txt"), "foo 2\r\n");
    WriteFile(outside.file("victim.txt"), "mine\r\n");
    fs::remove(outside.file("held"));
    run({"a.txt", "b.txt"});
    c.tamper();
    const UndoOutcome outcome = undo();
    EXPECT_EQ(ReadFile(dir.file("b.txt")), "foo 2\r\n");
    const bool aLeft = c.failed == "a.txt" || c.changedSince == "a.txt";
    EXPECT_EQ(ReadFile(dir.file("a.txt")), aLeft ? "bar 1\r\n" : "foo 1\r\n");
    EXPECT_EQ(ReadFile(outside.file("victim.txt")), "mine\r\n");
    if (c.failed.empty()) {
      EXPECT_TRUE(outcome.failed.empty());
    } else {
      ASSERT_EQ(outcome.failed.size(), 1u);
      EXPECT_EQ(fs::path(outcome.failed[0].first).filename(), c.failed);
      EXPECT_EQ(outcome.failed[0].second, c.why);
    }
    EXPECT_EQ(names(outcome.changedSince),
              c.changedSince.empty() ? std::vector<std::string>{} : std::vector{c.changedSince});
  }
}

// After an undo no file shares its inode with the run's backup copy: a kept link
// that the backup shares is copied back, with its times; one that no backup
// shares is the very file again, with its other names.
TEST_F(UndoTest, AnUndoneFileSharesItsInodeWithNoBackup) {
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  for (const int16_t bkupEdit : {1, 0}) {
    SCOPED_TRACE(bkupEdit);
    fs::remove_all(dir.path());
    fs::create_directories(dir.path());
    WriteFile(dir.file("a.txt"), "foo\r\n");
    fs::create_hard_link(dir.file("a.txt"), dir.file("a.link"));
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.file("a.txt").c_str(), old, 0), 0);
    run({"a.txt"}, kJournalCopyLimit, SystemFileLayer(), bkupEdit);
    ASSERT_EQ(ReadFile(dir.file("a.txt")), "bar\r\n");
    const UndoOutcome outcome = undo();
    EXPECT_EQ(outcome.restored, 1u);
    EXPECT_EQ(ReadFile(dir.file("a.txt")), "foo\r\n");
    struct stat a, link;
    ASSERT_EQ(::stat(dir.file("a.txt").c_str(), &a), 0);
    ASSERT_EQ(::stat(dir.file("a.link").c_str(), &link), 0);
    EXPECT_EQ(a.st_mtim.tv_sec, old[1].tv_sec);
    if (bkupEdit == 1) {
      struct stat backup;
      ASSERT_EQ(::stat(dir.file("a.txt_BK").c_str(), &backup), 0);
      EXPECT_NE(a.st_ino, backup.st_ino);
      EXPECT_EQ(ReadFile(dir.file("a.txt_BK")), "foo\r\n");
    } else {
      EXPECT_EQ(a.st_ino, link.st_ino);
    }
  }
}

// A dropped folder renamed during the run: the files replaced after the rename are
// journalled by the names they were listed by, and go back with the others once
// the folder is back at its name.
TEST_F(UndoTest, AFolderRenamedDuringTheRunIsTakenBackOnceItIsBack) {
  const std::string drop = dir.file("drop"), moved = dir.file("moved");
  fs::create_directories(drop);
  WriteFile(drop + "/a.txt", "foo 1\r\n");
  WriteFile(drop + "/b.txt", "foo 2\r\n");
  test::FakeFiles files;
  files.before = [&](test::Op op, const std::string& path) {
    if (op == test::Op::OpenRead && path.ends_with("/b.txt") && fs::exists(drop))
      fs::rename(drop, moved);
  };
  {
    JournalWriter writer(files, journal(), host);
    JournalledFiles journalled(files, writer);
    RunContext ctx(host, journalled);
    ctx.options.BkupEdit = 0;
    const TargetListResult list = BuildTargetList({drop + "/"}, ctx.options);
    ctx.targets = list.paths;
    ctx.targetScanRoots = list.scanRoots;
    ctx.targetDroppedFolders = list.droppedFolders;
    ctx.StepArr = SplitStepLine("0,0,foo,0,bar,0,#");
    writer.setDrop(DropFoldersOf(ctx));
    RunAll(ctx);
  }
  ASSERT_EQ(ReadFile(moved + "/b.txt"), "bar 2\r\n");
  fs::rename(moved, drop);
  const UndoOutcome outcome = undo();
  EXPECT_EQ(outcome.restored, 2u);
  EXPECT_TRUE(outcome.failed.empty());
  EXPECT_EQ(ReadFile(drop + "/a.txt"), "foo 1\r\n");
  EXPECT_EQ(ReadFile(drop + "/b.txt"), "foo 2\r\n");
}

// The journal of an installed program goes with what the user keeps between
// runs, created private to the user; a program folder of its own keeps it there.
TEST(UndoFolderTest, AnInstalledProgramKeepsItsJournalInTheUsersStateFolder) {
  test::TempDir home;
  const std::string savedHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  const char* savedState = std::getenv("XDG_STATE_HOME");
  const std::string state = savedState != nullptr ? savedState : "";
  ::setenv("HOME", home.path().c_str(), 1);
  const struct {
    const char* xdgStateHome;  // nullptr: not set
    std::string folder;
  } cases[] = {
      {nullptr, home.file(".local/state/kadrel")},
      {"relative/state", home.file(".local/state/kadrel")},
      {"/elsewhere/state", "/elsewhere/state/kadrel"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.xdgStateHome != nullptr ? c.xdgStateHome : "not set");
    if (c.xdgStateHome != nullptr) {
      ::setenv("XDG_STATE_HOME", c.xdgStateHome, 1);
    } else {
      ::unsetenv("XDG_STATE_HOME");
    }
    EXPECT_EQ(UndoFolderOf(UserConfigFolder()), c.folder);
    EXPECT_EQ(UndoFolderOf(home.file("bin")), home.file("bin/KadrelUndo"));
  }
  ::unsetenv("XDG_STATE_HOME");
  JournalFolder created;
  FileStatus status;
  ASSERT_TRUE(created.open(UndoFolderOf(UserConfigFolder()), JournalFolder::Access::Create, status))
      << status.text;
  for (const char* folder : {".local", ".local/state", ".local/state/kadrel"}) {
    struct stat st;
    ASSERT_EQ(::stat(home.file(folder).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
  }
  ::setenv("HOME", savedHome.c_str(), 1);
  if (savedState != nullptr) ::setenv("XDG_STATE_HOME", state.c_str(), 1);
}

}  // namespace
}  // namespace kadrel
