// The undo journal and the undo of the last run, over real files in a
// temporary folder: what a run replaced is given back byte for byte, a file
// changed since is left alone and named, and a kill during the run or the undo
// loses nothing that the next undo cannot finish.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

#include "combo/step_line.h"
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

class UndoTest : public testing::Test {
 protected:
  std::string journal() const { return dir.file("KadrelUndo"); }

  // Replaces "foo" by "bar" in the named files, journalled, backups off.
  void run(const std::vector<std::string>& names, uint64_t copyLimit = kJournalCopyLimit,
           FileLayer& real = SystemFileLayer()) {
    test::FakeHost host;
    JournalWriter writer(real, journal(), copyLimit);
    JournalledFiles files(real, writer);
    RunContext ctx(host, files);
    ctx.options.BkupEdit = 0;
    ctx.options.UpdateNoFile = 0;
    for (const std::string& name : names) ctx.targets.push_back(dir.file(name));
    ctx.StepArr = SplitStepLine("0,0,foo,0,bar,0,#");
    writer.describe(JournalDescription(ctx));
    RunAll(ctx);
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

  test::TempDir dir;
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
  const std::string text = JournalHeader(1700000000) + JournalLine(odd) + JournalLine(none);
  const std::string step = "文字列置換　置換前文字列 a b  置換後文字列 100%\n2 行目";
  struct Case {
    std::string name, text;
    std::optional<std::vector<JournalEntry>> entries;  // nothing: no index
    std::string description{};
  } cases[] = {
      {"whole", text, std::vector<JournalEntry>{odd, none}},
      {"last line cut by a kill", text.substr(0, text.size() - 2), std::vector<JournalEntry>{odd}},
      {"header alone", JournalHeader(1), std::vector<JournalEntry>{}},
      {"another file", "Kadrel.ini\n", std::nullopt},
      {"a damaged line", JournalHeader(1) + "lnk 1 2 3 4 5 6 0 /x\n", std::nullopt},
      {"a path cut in an escape", JournalHeader(1) + "link 1 2 3 4 5 6 0 /x%4\n", std::nullopt},
      {"with what the run did", JournalHeader(1, step) + JournalLine(none),
       std::vector<JournalEntry>{none}, step},
      {"as runs before that wrote it", "Kadrel undo journal 1 1700000000\n" + JournalLine(none),
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
    }
  }
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
  const auto index = [](std::string description, const std::vector<std::string>& paths) {
    JournalIndex i;
    i.description = std::move(description);
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

}  // namespace
}  // namespace kadrel
