// kadrel-cli run by an administrator (root) over a folder that another user
// ("nobody") owns and has laid traps in: links at the names of results and backup
// copies, links out of the folder, a setuid program, a backup name raced with a
// link. Nothing outside the folder is read or written, no backup carries a
// privilege, and every file the run makes belongs to the owner of the file it
// comes from. One row runs as "nobody" over a file it may write but not own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>
#include <tuple>

#include "io/file_layer.h"
#include "proof/cli_runner.h"
#include "support/temp_dir.h"

namespace kadrel::proof {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

constexpr uid_t kNobody = 65534;
const std::string kRootOnly = "root only\r\n";

class HostileTrees : public testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "owners need root to be set up";
    fs::permissions(dir.path(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directory(data());
    ASSERT_EQ(::chown(data().c_str(), kNobody, kNobody), 0);
    fs::create_directory(dir.file("outside"));
    fs::permissions(dir.file("outside"), fs::perms::owner_all);
    for (const char* name : {"config", "victim", "secret.conf"}) {
      WriteFile(outside(name), kRootOnly);
      fs::permissions(outside(name), fs::perms::owner_read | fs::perms::owner_write);
    }
    WriteFile(dir.file("Kadrel.ini"), "");
  }

  std::string data() const { return dir.file("data"); }
  std::string in(const std::string& name) const { return data() + "/" + name; }
  std::string outside(const std::string& name) const { return dir.file("outside/" + name); }

  // A file of the user's.
  void own(const std::string& name, const std::string& content, mode_t mode = 0644) {
    WriteFile(in(name), content);
    ASSERT_EQ(::chown(in(name).c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(in(name).c_str(), mode), 0);
  }
  void link(const std::string& to, const std::string& name) { fs::create_symlink(to, in(name)); }

  CliResult run(std::vector<std::string> args, bool asNobody = false) {
    args.insert(args.begin(), {"--ini", dir.file("Kadrel.ini"), "-q"});
    return RunCli(args, dir.path(), asNobody);
  }

  bool outsideUntouched() const {
    for (const char* name : {"config", "victim", "secret.conf"})
      if (ReadFile(outside(name)) != kRootOnly) return false;
    return true;
  }

  test::TempDir dir;
};

struct stat StatOf(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st;
}

TEST_F(HostileTrees, NothingOutsideTheFolderIsTouched) {
  const std::string linkText = ErrorText(kErrLinkAtName);
  const std::string extractX = "4,x,False,,False,,#";
  struct Row {
    const char* name;
    std::function<void()> plant;
    std::vector<std::string> args;  // the folder is appended
    std::function<void(const CliResult&)> check;
  } rows[] = {
      {"a result name linked out of the folder",
       [&] {
         own("notes.txt", "x\r\n");
         link(outside("config"), "notes.txt_SEL");
       },
       {"-s", extractX},
       [&](const CliResult& r) {
         EXPECT_NE(r.err.find(linkText), std::string::npos) << r.err;
         EXPECT_TRUE(fs::is_symlink(in("notes.txt_SEL")));
       }},
      {"a result name linked to another listed file",
       [&] {
         own("a.txt", "x1\r\n");
         own("b.txt", "keep\r\n");
         link("b.txt", "a.txt_SEL");
       },
       {"-s", extractX},
       [&](const CliResult& r) {
         EXPECT_EQ(ReadFile(in("b.txt")), "keep\r\n");
         EXPECT_NE(r.err.find(linkText), std::string::npos) << r.err;
       }},
      {"the joint result name linked to its own first target",
       [&] {
         own("a.txt", "x\r\n");
         link("a.txt", "a.txt_SEL");
       },
       {"-o", "SelFile=1", "-s", extractX},
       [&](const CliResult& r) {
         EXPECT_EQ(ReadFile(in("a.txt")), "x\r\n");  // never emptied
         EXPECT_NE(r.err.find(linkText), std::string::npos) << r.err;
       }},
      {"a backup name linked out of the folder",
       [&] {
         own("f.txt", "abc\r\n");
         link(outside("victim"), "f.txt_BK");
       },
       {"-o", "BkupEdit=1", "-s", "0,0,abc,0,XYZ,#"},
       [&](const CliResult& r) {
         EXPECT_EQ(ReadFile(in("f.txt")), "abc\r\n");  // skipped
         EXPECT_NE(r.err.find(linkText), std::string::npos) << r.err;
       }},
      {"links out of the folder are not followed by an extraction",
       [&] {
         own("ok.txt", "x\r\n");
         link(outside("secret.conf"), "leak.txt");
         link(dir.file("outside"), "outdir");
       },
       {"-s", "4,o,False,,False,,#"},
       [&](const CliResult& r) {
         EXPECT_EQ(r.status, 0) << r.err;
         EXPECT_FALSE(fs::exists(in("leak.txt_SEL")));
         EXPECT_FALSE(fs::exists(outside("secret.conf_SEL")));
       }},
      {"links out of the folder are not followed by a rewrite",
       [&] {
         own("ok.txt", "x \r\n");
         link(outside("secret.conf"), "leak.txt");
       },
       {"-s", "5,1,0,1,1,1,#"},
       [&](const CliResult& r) { EXPECT_EQ(r.status, 0) << r.err; }},
      {"a setuid program's backup carries no privilege and stays its owner's",
       [&] {
         own("prog", "abc\r\n", 04755);
         const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
         ASSERT_EQ(::utimensat(AT_FDCWD, in("prog").c_str(), old, 0), 0);
       },
       {"-o", "BkupEdit=1", "-s", "0,0,abc,0,XYZ,#"},
       [&](const CliResult& r) {
         EXPECT_EQ(r.status, 0) << r.err;
         const struct stat prog = StatOf(in("prog")), backup = StatOf(in("prog_BK"));
         EXPECT_EQ(ReadFile(in("prog")), "XYZ\r\n");
         EXPECT_EQ(prog.st_mode & 07777, 04755u);  // the target keeps its bits
         EXPECT_EQ(prog.st_uid, kNobody);
         EXPECT_EQ(ReadFile(in("prog_BK")), "abc\r\n");
         EXPECT_EQ(backup.st_mode & 07777, 0755u);
         EXPECT_EQ(backup.st_uid, kNobody);
         EXPECT_EQ(backup.st_mtim.tv_sec, 1000000000);
       }},
      {"a private file's result stays private and its owner's",
       [&] { own("p.txt", "x\r\n", 0600); },
       {"-s", extractX},
       [&](const CliResult& r) {
         EXPECT_EQ(r.status, 0) << r.err;
         const struct stat result = StatOf(in("p.txt_SEL"));
         EXPECT_EQ(result.st_mode & 07777, 0600u);
         EXPECT_EQ(result.st_uid, kNobody);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    for (const auto& entry : fs::directory_iterator(data())) fs::remove_all(entry.path());
    row.plant();
    std::vector<std::string> args = row.args;
    args.push_back(data());
    const CliResult r = run(args);
    row.check(r);
    EXPECT_TRUE(outsideUntouched());
    EXPECT_EQ(test::TemporariesIn(data()), 0);
  }
}

// A link put at the backup name again and again while runs make the backup: it
// is never written through, whichever moment the link appears.
TEST_F(HostileTrees, ARacedBackupNameIsNeverWrittenThrough) {
  own("f.txt", "abc\r\n");
  std::atomic<bool> stop{false};
  std::thread racer([&] {
    const std::string spare = in("spare");
    while (!stop.load()) {
      std::ignore = ::symlink(outside("victim").c_str(), spare.c_str());
      ::rename(spare.c_str(), in("f.txt_BK").c_str());
    }
  });
  for (int round = 0; round < 40; ++round) {
    WriteFile(in("f.txt"), "abc\r\n");
    const CliResult r = run({"-o", "BkupEdit=1", "-s", "0,0,abc,0,XYZ,#", in("f.txt")});
    const std::string now = ReadFile(in("f.txt"));
    EXPECT_TRUE(r.status == 0 ? now == "XYZ\r\n" : now == "abc\r\n") << r.err;
  }
  stop = true;
  racer.join();
  EXPECT_TRUE(outsideUntouched());
}

// A user may write a file of root's but cannot give a new file root's ownership:
// the file is left to its owner, with a box, rather than handed to the user.
TEST_F(HostileTrees, AFileTheRunnerDoesNotOwnKeepsItsOwner) {
  WriteFile(in("shared.txt"), "abc\r\n");
  fs::permissions(in("shared.txt"), fs::perms::all);
  const CliResult r = run({"-o", "BkupEdit=0", "-s", "0,0,abc,0,XYZ,#", in("shared.txt")}, true);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(ErrorText(kErrOwnerNotKept)), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(in("shared.txt")), "abc\r\n");
  EXPECT_EQ(StatOf(in("shared.txt")).st_uid, 0u);
  EXPECT_EQ(test::TemporariesIn(data()), 0);
}

}  // namespace
}  // namespace kadrel::proof
