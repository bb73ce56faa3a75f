#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "combo/step_line.h"
#include "core/target_list.h"
#include "run/run_context.h"
#include "run/run_driver.h"
#include "support/fake_files.h"
#include "support/fake_host.h"
#include "support/temp_dir.h"
#include "text/code_page.h"

namespace kadrel {
namespace {

using test::FileExists;
using test::ReadFile;
using test::WriteFile;

class RunDriverTest : public testing::Test {
 protected:
  RunDriverTest() : ctx(host, files) { ctx.options.codePage = CodePage::CP932; }

  std::string target(const std::string& name, const std::string& content) {
    std::string path = dir.file(name);
    WriteFile(path, content);
    ctx.targets.push_back(path);
    return path;
  }
  // Runs one step given as its fields (the step line without its terminator).
  void run(const std::string& fields) {
    ctx.StepArr = SplitStepLine(fields + ",#");
    report = RunAll(ctx);
  }
  std::vector<TargetOutcome> outcomes() const {
    std::vector<TargetOutcome> out;
    for (const TargetReport& t : report.targets) out.push_back(t.outcome);
    return out;
  }

  test::TempDir dir;
  test::FakeHost host;
  test::FakeFiles files;
  RunContext ctx;
  RunReport report;
};

TEST_F(RunDriverTest, TheReportTellsWhatBecameOfEveryTarget) {
  using enum TargetOutcome;
  ctx.options.UpdateNoFile = 0;
  const std::string replaced = target("replaced.txt", "abc\r\n");
  target("unchanged.txt", "xyz\r\n");
  target("bare-lf.txt", "abc\nabc\r\n");
  ctx.targets.push_back(replaced);  // listed twice
  const std::string failed = target("failed.txt", "abc\r\n");
  files.faults = {{test::Op::Commit, "failed.txt", 1, 0, EACCES}};
  run("0,0,abc,0,x,0");
  EXPECT_EQ(outcomes(), (std::vector{Replaced, Unchanged, Skipped, Skipped, Failed}));
  EXPECT_TRUE(report.targets[2].reason.starts_with("ＵＮＩＸ形式の改行コードを検出しました"));
  EXPECT_EQ(report.targets[3].reason, ErrorText(kErrAlreadyDone));  // without a box
  EXPECT_EQ(report.targets[4].reason, ErrorText(EACCES) + "\r[ " + failed + "]");
  EXPECT_EQ(report.boxes, 2);
  EXPECT_FALSE(report.clean());
  EXPECT_EQ(report.summary(), "5 ファイル: 書き換え 1、変更なし 1、スキップ 2、失敗 1");
}

TEST_F(RunDriverTest, TheReportOfACancelledExtraction) {
  using enum TargetOutcome;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) target(name, "x\r\n");
  host.cancelAtYield(&ctx.CancelFlag, 2);  // the yield after the first file
  run("4,x,True,,False,");
  EXPECT_EQ(outcomes(), (std::vector{Extracted, NotReached, NotReached}));
  EXPECT_TRUE(report.cancelled);
  EXPECT_TRUE(report.clean());
  EXPECT_EQ(report.summary(), "3 ファイル: 抽出 1、未処理 2（中断）");
}

TEST_F(RunDriverTest, ReplacesAsTheLineByLineAlgorithmDoes) {
  struct Case {
    std::string step, in, out;
    int16_t compMode = 0;
  } cases[] = {
      {"0,0,ab,0,abab,0", "xabx\r\n", "xababx\r\n"},             // no endless loop
      {"0,0,aa,0,b,0", "aaaa\r\n", "bb\r\n"},                    // matches do not overlap
      {"0,0,a,0,,0", "aXa\r\naa\r\n", "X\r\n\r\n"},              // empty replacement
      {"0,0,b,4,,0", "abc\r\n", "a\r\nc\r\n"},                   // CR LF splits the line
      {"0,0,b,2,,0", "abc", "a\rc\r\n"},                         // CR, final line end added
      {"0,0,b,3,,0", "abc", "a\nc\r\n"},                         // LF
      {"0,1,ignored,0,_,0", "a\tb\r\n", "a_b\r\n"},              // find a TAB
      {"0,0,b,1,,0", "abc\r\n", "a\tc\r\n"},                     // put a TAB
      {"0,0,abc,0,x,0", "ABC Abc abc\r\n", "x x x\r\n"},         // text comparison
      {"0,0,abc,0,x,0", "ABC Abc abc\r\n", "ABC Abc x\r\n", 1},  // binary comparison
      {"0,0,あ,0,い,0", "\x82\xa0\x82\xa0\r\n", "\x82\xa2\x82\xa2\r\n"},
      {"0,0,z,0,y,0", "a\xff\x82\r\nb\r\n", "a\xff\x82\r\nb\r\n"},  // undecodable bytes kept
      {"0,0,a,0,b,0", "", ""},
  };
  for (const auto& c : cases) {
    ctx.targets.clear();
    ctx.options.CompMode = c.compMode;
    std::string path = target("t.txt", c.in);
    run(c.step);
    EXPECT_EQ(ReadFile(path), c.out) << c.step;
    EXPECT_TRUE(host.boxes.empty()) << c.step << ": " << host.boxes[0].text;
  }
}

TEST_F(RunDriverTest, MultiLineReplacementComesFromTheWindow) {
  ctx.multiLineReplacement = "1\r\n2";
  std::string path = target("t.txt", "axb\r\n");
  run("0,0,x,0,,1");
  EXPECT_EQ(ReadFile(path), "a1\r\n2b\r\n");
}

TEST_F(RunDriverTest, BackupCopyFollowsBkupEdit) {
  for (int16_t keep : {0, 1}) {
    ctx.targets.clear();
    ctx.options.BkupEdit = keep;
    std::string path = target("ABC.txt", "a\r\n");
    std::remove((path + "_BK").c_str());
    run("0,0,a,0,b,0");
    EXPECT_EQ(ReadFile(path), "b\r\n");
    EXPECT_EQ(FileExists(path + "_BK"), keep == 1);
    if (keep) {
      EXPECT_EQ(ReadFile(path + "_BK"), "a\r\n");
    }
  }
}

TEST_F(RunDriverTest, NoMatchKeepsThePreviousContentUnlessUpdateNoFile) {
  for (int16_t update : {0, 1}) {
    ctx.targets.clear();
    ctx.options.UpdateNoFile = update;
    std::string path = target("t.txt", "same\r\nx\ny");
    std::remove((path + "_BK").c_str());
    run("0,0,zzz,0,b,0");
    EXPECT_EQ(ReadFile(path), update ? "same\r\nx\ny\r\n" : "same\r\nx\ny");
    EXPECT_EQ(FileExists(path + "_BK"), update == 1);  // BkupEdit is 1
  }
}

TEST_F(RunDriverTest, EmptySearchStringCopiesAndCountsAsNoMatch) {
  ctx.options.UpdateNoFile = 0;
  std::string path = target("t.txt", "a");
  run("0,0,,0,b,0");
  EXPECT_EQ(ReadFile(path), "a");
  EXPECT_FALSE(FileExists(path + "_BK"));
}

TEST_F(RunDriverTest, BareLfInTheFirstLineSkipsTheFile) {
  std::string lf = target("lf.txt", "a\nb\r\n");
  std::string later = target("later.txt", "a\r\nb\nc\r\n");  // only the first line counts
  run("0,0,b,0,X,0");
  EXPECT_EQ(ReadFile(lf), "a\nb\r\n");
  EXPECT_FALSE(FileExists(lf + "_BK"));
  EXPECT_EQ(ReadFile(later), "a\r\nX\nc\r\n");
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text,
            "ＵＮＩＸ形式の改行コードを検出しました。処理を飛ばします。\r[ " + lf + " ]");
  EXPECT_EQ(host.boxes[0].icon, BoxIcon::Exclamation);
}

TEST_F(RunDriverTest, AFieldThatDoesNotConvertEndsTheRunAndLeavesTheTargetUntouched) {
  std::string first = target("a.txt", "abc\r\n");
  std::string second = target("b.txt", "abc\r\n");
  run("0,x,b,0,X,0");
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "Kadrel処理中にエラーが発生しました\r\n( 13 ) 型が一致しません。");
  EXPECT_EQ(host.boxes[0].icon, BoxIcon::Critical);
  EXPECT_EQ(ReadFile(first), "abc\r\n");
  EXPECT_FALSE(FileExists(first + "_BK"));  // nothing was replaced
  EXPECT_EQ(test::TemporariesIn(dir.path()), 0);
}

TEST_F(RunDriverTest, CancelInTheMiddleOfAFileKeepsItsPreviousContent) {
  std::string first = target("a.txt", "a1\r\na2\r\na3\r\n");
  std::string second = target("b.txt", "a\r\n");
  host.cancelAtYield(&ctx.CancelFlag, 2);
  run("0,0,a,0,X,0");
  EXPECT_EQ(ReadFile(first), "a1\r\na2\r\na3\r\n");
  EXPECT_FALSE(FileExists(first + "_BK"));  // nothing was replaced
  EXPECT_EQ(ReadFile(second), "a\r\n");     // never reached
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(RunDriverTest, CancelLeavesNoBackupCopyWhenBackupsAreOff) {
  ctx.options.BkupEdit = 0;
  std::string path = target("a.txt", "a1\r\na2\r\n");
  host.cancelAtYield(&ctx.CancelFlag, 1);
  run("0,0,a,0,X,0");
  EXPECT_EQ(ReadFile(path), "a1\r\na2\r\n");
  EXPECT_FALSE(FileExists(path + "_BK"));
}

TEST_F(RunDriverTest, EngineFailuresLeaveTheTargetUntouched) {
  struct Case {
    const char* name;
    test::Fault fault;
    const char* title;
  } cases[] = {
      {"write in the middle", {test::Op::Write, "t.txt", 0, 3, ENOSPC}, "File Write Error"},
      {"disk full at close", {test::Op::Close, "t.txt", 0, -1, ENOSPC}, "File Write Error"},
      // every reader fails past the first bytes: the check of the first line passes
      {"read", {test::Op::Read, "t.txt", 0, 70003, EIO}, "File Read Error"},
      // the first bytes are read when the file is opened
      {"read at the open", {test::Op::Read, "t.txt", 0, 3, EIO}, ""},
  };
  std::string content = std::string(5000, 'a') + "\r\n";
  while (content.size() < 80000) content += "bbb\r\n";
  for (const auto& c : cases) {
    files.faults = {c.fault};
    host.boxes.clear();
    ctx.targets.clear();
    std::string path = target("t.txt", content);
    run("0,0,a,0,X,0");
    files.faults.clear();
    EXPECT_TRUE(ReadFile(path) == content) << c.name;
    EXPECT_FALSE(FileExists(path + "_BK")) << c.name;
    EXPECT_EQ(test::TemporariesIn(dir.path()), 0) << c.name;
    ASSERT_EQ(host.boxes.size(), 1u) << c.name;
    EXPECT_EQ(host.boxes[0].title, c.title);
    EXPECT_NE(host.boxes[0].text.find("[ " + path + "]"), std::string::npos) << c.name;
  }
}

TEST_F(RunDriverTest, OpenAndBackupFailuresSkipTheFileWithTheirMessages) {
  std::string path = target("t.txt", "a\r\n");
  files.faults = {{test::Op::OpenWrite, "t.txt", 0, 0, EACCES}};
  run("0,0,a,0,X,0");
  EXPECT_EQ(ReadFile(path), "a\r\n");
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text.substr(0, host.boxes[0].text.find('\r')),
            "ファイルオープンでエラーが発生しました");
  EXPECT_NE(host.boxes[0].text.find("処理を飛ばします"), std::string::npos);

  host.boxes.clear();
  files.faults = {{test::Op::Copy, "t.txt_BK", 0, -1, ENOSPC}};
  run("0,0,a,0,X,0");
  EXPECT_EQ(ReadFile(path), "a\r\n");
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text.substr(0, host.boxes[0].text.find("\r先")),
            "ファイルバックアップ処理でエラーが発生しました\r元[ " + path + "]");
}

TEST_F(RunDriverTest, ABackupNameEqualToTheTargetNeverTouchesIt) {
  ctx.options.FstChrBk = "";
  ctx.options.LstChrBk = "";
  std::string path = target("t.txt", "a\r\n");
  run("0,0,a,0,X,0");
  EXPECT_EQ(ReadFile(path), "a\r\n");
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_NE(host.boxes[0].text.find("同じ名前"), std::string::npos);
}

TEST_F(RunDriverTest, ABackupLeftLinkedToItsTargetByAKilledRunIsReplaced) {
  // A run killed after keeping the backup (a hard link of the target) and before
  // replacing the target leaves two names of one file.
  std::string path = target("t.txt", "a\r\n");
  std::filesystem::create_hard_link(path, path + "_BK");
  run("0,0,a,0,X,0");
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(ReadFile(path), "X\r\n");
  EXPECT_EQ(ReadFile(path + "_BK"), "a\r\n");
  EXPECT_EQ(test::TemporariesIn(dir.path()), 0);
}

TEST_F(RunDriverTest, JointResultFileNamedAfterTheFirstTarget) {
  // One result file for the run, every target's result in list order.
  ctx.options.SelFile = 1;
  ctx.options.codePage = CodePage::UTF8;
  const std::string a = target("a.txt", "x1\r\ny\r\n");
  const std::string b = target("b.txt", "z\r\nx2\r\n");
  run("4,x,True,,False,");
  EXPECT_TRUE(host.boxes.empty()) << (host.boxes.empty() ? "" : host.boxes[0].text);
  const std::string ruler =
      "----+----1----+----2----+----3----+----4----+----5----+----6----+----7----+----8\r\n";
  auto result = [&](const std::string& path, const std::string& line) {
    return "対象ファイル  [" + path + "]\r\n検索文字列    [x] \r\n" + ruler + line + "\r\n" +
           ruler + "抽出行数　　　　　　   1 行\r\n\r\n■■■■■■■■■■■■■■■■■■■■\r\n\r\n";
  };
  EXPECT_EQ(ReadFile(dir.file("a.txt_SEL")), result(a, "x1") + result(b, "x2"));
  EXPECT_FALSE(FileExists(dir.file("b.txt_SEL")));
}

// A file reached twice in one run (listed twice, or through a link to it) is
// processed once, as is a second name of it (a hard link): that name keeps the
// previous content, the name processed gets a file of its own.
TEST_F(RunDriverTest, AFileReachedTwiceIsProcessedOnce) {
  const std::string a = target("a.txt", "id: 7\r\n");
  std::filesystem::create_symlink(a, dir.file("link.txt"));
  std::filesystem::create_hard_link(a, dir.file("hard.txt"));
  ctx.targets = {a, dir.file("link.txt"), a, dir.file("hard.txt")};
  ctx.options.BkupEdit = 1;
  run("2,0,0,1,1,0,>,0,0");
  EXPECT_EQ(ReadFile(a), ">id: 7\r\n");
  EXPECT_EQ(ReadFile(a + "_BK"), "id: 7\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
  EXPECT_FALSE(FileExists(dir.file("link.txt_BK")));
  EXPECT_EQ(ReadFile(dir.file("hard.txt")), "id: 7\r\n");
  EXPECT_TRUE(host.boxes.empty());

  ctx.options.SelFile = 1;  // one extraction of it in the joint result
  run("4,id,False,,False,");
  const std::string joint = ReadFile(dir.file("a.txt_SEL"));
  EXPECT_EQ(joint.find("[" + a + "]"), joint.rfind("[" + a + "]"));
  EXPECT_EQ(joint.find("link.txt"), std::string::npos);
}

// A file found by a folder scan whose path gains a link before the run reaches
// it (the file or its folder swapped for a link out of the dropped folder) is
// not followed; a path named as it is follows its links.
TEST_F(RunDriverTest, ALinkPutInAScannedPathIsNotFollowed) {
  test::TempDir outside;
  namespace fs = std::filesystem;
  const struct {
    const char* name;
    const char* swapped;  // below the dropped folder
    size_t scanRoot;      // 0: named as it is
    bool followed;
  } cases[] = {
      {"the file", "sub/t.txt", 1, false},
      {"its folder", "sub", 1, false},
      {"a named path", "sub/t.txt", 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir.file("sub"));
    fs::create_directory(dir.file("sub"));
    WriteFile(dir.file("sub/t.txt"), "a\r\n");
    WriteFile(outside.file("t.txt"), "a\r\n");
    host.boxes.clear();
    ctx.targets = {dir.file("sub/t.txt")};
    ctx.targetScanRoots = {c.scanRoot == 0 ? 0 : dir.path().size() + 1};
    host.onSelect = [&](int) {
      fs::remove_all(dir.file(c.swapped));
      fs::create_symlink(c.swapped == std::string("sub") ? outside.path() : outside.file("t.txt"),
                         dir.file(c.swapped));
    };
    run("0,0,a,0,X,0");
    EXPECT_EQ(ReadFile(outside.file("t.txt")), c.followed ? "X\r\n" : "a\r\n");
    EXPECT_EQ(host.boxes.size(), c.followed ? 0u : 1u);
    if (!c.followed) {
      EXPECT_NE(host.boxes[0].text.find(ErrorText(kErrLinkAtName)), std::string::npos);
    }
  }
  host.onSelect = nullptr;
}

// Runs act in a child process, as the user "nobody" when the test runs as root:
// the owner of a tree changing it while a run of root's goes on.
void AsTheOwner(const std::function<void()>& act) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
         ::setresuid(65534, 65534, 65534) != 0))
      ::_exit(126);
    try {
      act();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
      ::_exit(1);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A dropped folder is reached through the descriptor its scan opened, each folder
// below it checked to be the one scanned: renamed between two files, swapped for a
// link or another folder, nothing outside what was dropped is written, and the
// files of a folder that is no longer the scanned one are skipped with one box.
TEST_F(RunDriverTest, TheDropIsPinnedWhateverItsOwnerRenamesMeanwhile) {
  namespace fs = std::filesystem;
  using enum TargetOutcome;
  const std::string before = "abc\r\n", after = "XYZ\r\n";
  struct Case {
    const char* name;
    std::function<void(const std::string& drop, const std::string& outside)> swap;
    std::vector<TargetOutcome> outcomes;
    std::vector<std::pair<std::string, std::string>> files;  // below the tree, afterwards
  } cases[] = {
      {"the dropped folder renamed, a link in its place",
       [](const std::string& drop, const std::string& outside) {
         fs::rename(drop, drop + ".old");
         fs::create_directory_symlink(outside, drop);
       },
       {Replaced, Replaced, Replaced, Replaced},
       {{"drop.old/a.txt", after}, {"drop.old/sub/b.txt", after}, {"drop.old/z.txt", after}}},
      {"a folder below it swapped for a link out of the drop",
       [](const std::string& drop, const std::string& outside) {
         fs::rename(drop + "/sub", drop + "/sub.old");
         fs::create_directory_symlink(outside + "/sub", drop + "/sub");
       },
       {Replaced, Skipped, Skipped, Replaced},
       {{"drop/a.txt", after}, {"drop/sub.old/b.txt", before}, {"drop/z.txt", after}}},
      {"a folder below it swapped for another folder",
       [&](const std::string& drop, const std::string&) {
         fs::rename(drop + "/sub", drop + "/sub.old");
         fs::create_directory(drop + "/sub");
         WriteFile(drop + "/sub/b.txt", before);
       },
       {Replaced, Skipped, Skipped, Replaced},
       {{"drop/sub.old/b.txt", before}, {"drop/sub/b.txt", before}, {"drop/z.txt", after}}},
  };
  const std::vector<std::string> names = {"a.txt", "sub/b.txt", "sub/c.txt", "z.txt"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir tree, outside;
    const std::string drop = tree.file("drop");
    for (const std::string& name : names) {
      fs::create_directories(fs::path(drop + "/" + name).parent_path());
      fs::create_directories(fs::path(outside.file(name)).parent_path());
      WriteFile(drop + "/" + name, before);
      WriteFile(outside.file(name), before);
    }
    if (::geteuid() == 0) {
      for (const auto& entry : fs::recursive_directory_iterator(tree.path()))
        ASSERT_EQ(::lchown(entry.path().c_str(), 65534, 65534), 0);
      ASSERT_EQ(::chown(tree.path().c_str(), 65534, 65534), 0);
    }
    const TargetListResult list = BuildTargetList({drop + "/"}, ctx.options);
    ASSERT_EQ(list.paths.size(), names.size());
    ctx.targets = list.paths;
    ctx.targetScanRoots = list.scanRoots;
    ctx.targetDroppedFolders = list.droppedFolders;
    host.boxes.clear();
    // The owner acts when the run turns from the first file to the second.
    bool swapped = false;
    files.before = [&](test::Op op, const std::string& path) {
      if (swapped || op != test::Op::OpenRead || !path.ends_with("sub/b.txt")) return;
      swapped = true;
      AsTheOwner([&] { c.swap(drop, outside.path()); });
    };
    run("0,0,abc,0,XYZ,0");
    EXPECT_EQ(outcomes(), c.outcomes);
    // One box for the folder that is no longer the scanned one, naming it.
    const bool skipped = c.outcomes[1] == Skipped;
    ASSERT_EQ(host.boxes.size(), skipped ? 1u : 0u);
    if (skipped) {
      EXPECT_NE(host.boxes[0].text.find(ErrorText(kErrFolderReplaced) + "\r[ " + drop + "/sub/ ]"),
                std::string::npos)
          << host.boxes[0].text;
    }
    for (const std::string& name : names) EXPECT_EQ(ReadFile(outside.file(name)), before) << name;
    for (const auto& [name, content] : c.files)
      EXPECT_EQ(ReadFile(tree.file(name)), content) << name;
  }
  files.before = nullptr;
}

// What a killed run left beside its files goes with the next run over them: only
// our temporaries that no living run holds, and never what a link names.
TEST_F(RunDriverTest, LeftoversOfAKilledRunAreRemovedAndNothingElse) {
  namespace fs = std::filesystem;
  test::TempDir outside;
  const std::string a = target("a.txt", "a\r\n");
  const std::string leftover = dir.file(".kadrel-temp-0123456789ab");
  const std::string held = dir.file(".kadrel-temp-held0000000a");
  const std::string link = dir.file(".kadrel-temp-link0000000a");
  const std::string alike = dir.file(".kadrel-temp-short");
  for (const std::string& f : {leftover, held, alike}) WriteFile(f, "x");
  WriteFile(outside.file("kept.txt"), "x");
  fs::create_symlink(outside.file("kept.txt"), link);
  const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);  // a living run's
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  run("0,0,a,0,X,0");
  ::close(holder);
  EXPECT_EQ(ReadFile(a), "X\r\n");
  EXPECT_FALSE(FileExists(leftover));
  EXPECT_TRUE(FileExists(held));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_TRUE(FileExists(outside.file("kept.txt")));
  EXPECT_TRUE(FileExists(alike));
}

TEST_F(RunDriverTest, MarksEveryFileAndReportsProgress) {
  target("a.txt", "a\r\n");
  target("b.txt", "a\r\n");
  ctx.DescText = "2 File の\r\n説明 を";
  run("0,0,a,0,X,0");
  EXPECT_EQ(host.selected, (std::vector<int>{0, 1}));
  ASSERT_FALSE(host.progress.empty());
  EXPECT_EQ(host.progress.front().text, "2 File の\r\n説明 を処理中です...");
  EXPECT_EQ(host.progress.back().fileIndex, 2);
}

}  // namespace
}  // namespace kadrel
