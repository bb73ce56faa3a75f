// kadrel-cli run by an administrator (root) over a folder that another user
// ("nobody") owns and has laid traps in: links at the names of results and backup
// copies, links out of the folder, a setuid program, a backup name raced with a
// link. Nothing outside the folder is read or written, no backup carries a
// privilege, and every file the run makes belongs to the owner of the file it
// comes from. One row runs as "nobody" over a file it may write but not own.
// A user racing to write into the new file of a program that carries a
// privilege never gets a byte into it.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <set>
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

// The owner of a folder ("nobody") racing a run of root's: every temporary of
// ours it sees there (a file, or a folder of ours holding one) it opens for
// writing once, and as soon as the run has written past its start, writes its
// own bytes at the start, the way a user would slip code into a program that is
// about to get setgid or a file capability.
class OwnerRacer {
 public:
  struct Counts {
    std::atomic<long> seen{0}, opened{0};
    std::atomic<bool> stop{false};
  };

  explicit OwnerRacer(const std::string& folder) {
    void* shared =
        ::mmap(nullptr, sizeof(Counts), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    counts_ = new (shared) Counts;
    pid_ = ::fork();
    if (pid_ == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
          ::setresuid(kNobody, kNobody, kNobody) != 0)
        ::_exit(126);
      race(folder);
      ::_exit(0);
    }
  }
  ~OwnerRacer() { ::munmap(counts_, sizeof(Counts)); }

  const Counts& stop() {
    counts_->stop = true;
    ::waitpid(pid_, nullptr, 0);
    return *counts_;
  }

 private:
  void race(const std::string& folder) {
    std::set<std::string> tried;
    std::vector<int> waiting;
    while (!counts_->stop) {
      if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
          if (!IsTemporaryName(e->d_name)) continue;
          ++counts_->seen;
          const std::string path = folder + "/" + e->d_name;
          for (const std::string& file : {path, path + "/new"}) {
            // Tried again until it opens: the rights to it may come later.
            if (tried.count(file) != 0) continue;
            const int fd = ::open(file.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) continue;
            tried.insert(file);
            ++counts_->opened;
            waiting.push_back(fd);
          }
        }
        ::closedir(dir);
      }
      std::erase_if(waiting, [](int fd) {
        struct stat st;
        if (::fstat(fd, &st) != 0 || st.st_size < 4096) return false;
        std::ignore = ::pwrite(fd, "EVIL", 4, 0);
        return true;
      });
    }
  }

  pid_t pid_ = -1;
  Counts* counts_ = nullptr;
};

bool HasCapability(const std::string& path) {
  return ::getxattr(path.c_str(), "security.capability", nullptr, 0) >= 0;
}

TEST_F(HostileTrees, TheOwnerNeverWritesIntoANewFileThatCarriesAPrivilege) {
  // A capability its owner does not have: to read any file.
  vfs_cap_data cap{};
  cap.magic_etc = VFS_CAP_REVISION_2 | VFS_CAP_FLAGS_EFFECTIVE;
  cap.data[0].permitted = 1u << CAP_DAC_READ_SEARCH;
  const struct Row {
    const char* name;
    std::function<bool(const std::string&)> grant, carries;
    uid_t owner = kNobody;
  } rows[] = {
      {"setgid for a group the owner is not in",
       [](const std::string& p) {
         return ::chown(p.c_str(), kNobody, 0) == 0 && ::chmod(p.c_str(), 02755) == 0;
       },
       [](const std::string& p) {
         return (StatOf(p).st_mode & S_ISGID) != 0 && StatOf(p).st_gid == 0;
       }},
      {"a file capability",
       [&](const std::string& p) {
         return ::setxattr(p.c_str(), "security.capability", &cap, sizeof cap, 0) == 0;
       },
       HasCapability},
      {"setgid on root's program that an ACL lets the user write",
       [](const std::string& p) {
         // Version 2, then per entry its tag and permissions, and its id: the
         // owner, "nobody", the group, the mask, others.
         const auto entry = [](uint32_t tag, uint32_t perm) { return tag | perm << 16; };
         const uint32_t any = 0xffffffff;
         const std::vector<uint32_t> acl = {2,       entry(1, 7),  any, entry(2, 6),
                                            kNobody, entry(4, 5),  any, entry(16, 7),
                                            any,     entry(32, 5), any};
         return ::chown(p.c_str(), 0, 0) == 0 && ::chmod(p.c_str(), 02755) == 0 &&
                ::setxattr(p.c_str(), "system.posix_acl_access", acl.data(),
                           acl.size() * sizeof(uint32_t), 0) == 0;
       },
       [](const std::string& p) { return (StatOf(p).st_mode & S_ISGID) != 0; }, 0},
  };
  std::string program;
  for (int i = 0; i < 100000; ++i) program += "abc " + std::to_string(i) + "\r\n";
  std::string replaced = program;
  for (size_t p; (p = replaced.find("abc")) != std::string::npos;) replaced.replace(p, 3, "XYZ");
  const std::vector<std::string> replace = {"-o", "BkupEdit=0", "-s", "0,0,abc,0,XYZ,#", data()};
  int tried = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    own("tool", program, 0755);
    if (!row.grant(in("tool"))) {
      std::cout << "[   SKIP   ] " << row.name << ": not possible here\n";
      continue;
    }
    ++tried;
    // The run's replacement, then --undo's copy (a privileged file is kept by a
    // copy), each raced until the racer has seen its temporary.
    for (const bool undo : {false, true}) {
      SCOPED_TRACE(undo ? "--undo" : "the run");
      long seen = 0;
      for (int attempt = 0; attempt < 5 && seen == 0; ++attempt) {
        own("tool", program, 0755);
        ASSERT_TRUE(row.grant(in("tool")));
        if (undo) {
          ASSERT_EQ(run(replace).status, 0);
        }
        OwnerRacer racer(data());
        const CliResult r = run(undo ? std::vector<std::string>{"--undo"} : replace);
        const OwnerRacer::Counts& counts = racer.stop();
        seen = counts.seen;
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(counts.opened, 0);
        EXPECT_TRUE(ReadFile(in("tool")) == (undo ? program : replaced));
        EXPECT_TRUE(row.carries(in("tool")));
        EXPECT_EQ(StatOf(in("tool")).st_uid, row.owner);
      }
      EXPECT_GT(seen, 0) << "the racer never saw a temporary: nothing was proven";
      EXPECT_EQ(test::TemporariesIn(data()), 0);
    }
  }
  if (tried == 0) GTEST_SKIP() << "neither setgid nor file capabilities can be set here";
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
