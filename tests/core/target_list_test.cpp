#include "core/target_list.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include <filesystem>

#include "core/program_folder.h"
#include "core/run_options.h"
#include "support/temp_dir.h"

namespace kadrel {
namespace {

using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

struct FilterCase {
  std::string selSts;
  std::string name;
  bool listed;
};
void PrintTo(const FilterCase& c, std::ostream* os) {
  *os << c.selSts << " " << c.name;
}

class DropFilterExtension : public ::testing::TestWithParam<FilterCase> {};

TEST_P(DropFilterExtension, ExtensionIsASubstringOfThePatternText) {
  const FilterCase& c = GetParam();
  RunOptions o;
  o.SelSts = c.selSts;
  const std::string name = c.name;
  const size_t dot = name.find('.');
  const std::string ext = dot == std::string::npos ? "" : name.substr(dot);
  EXPECT_EQ(DropFilter(o).accepts(name, ext), c.listed) << c.selSts << " / " << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DropFilterExtension,
    ::testing::Values(FilterCase{"*.txt", "a.TXT", true}, FilterCase{"*.txt;*.csv", "a.csv", true},
                      FilterCase{"*.txt", "a.csv", false}, FilterCase{"*.TXT;*.*", "a.csv", true},
                      FilterCase{"*.txt", "readme", true}, FilterCase{"*.txt", "a.tx", true},
                      FilterCase{"*.txt", "a.b.txt", false}, FilterCase{"*.log", "a.", true},
                      FilterCase{"", "a.txt", false}, FilterCase{"*.ｔｘｔ", "ＡＢ.ＴＸＴ", true},
                      FilterCase{"*.txt", "a.txt.bak", false}));

struct AffixCase {
  std::string fstChrBk, lstChrBk, fstChr, lstChr;
  std::string name;
  bool listed;
};
void PrintTo(const AffixCase& c, std::ostream* os) {
  *os << c.name;
}

class DropFilterAffixes : public ::testing::TestWithParam<AffixCase> {};

TEST_P(DropFilterAffixes, OwnOutputFilesAreLeftOut) {
  const AffixCase& c = GetParam();
  RunOptions o;
  o.FstChrBk = c.fstChrBk;
  o.LstChrBk = c.lstChrBk;
  o.FstChr = c.fstChr;
  o.LstChr = c.lstChr;
  const size_t dot = c.name.find('.');
  EXPECT_EQ(DropFilter(o).accepts(c.name, dot == std::string::npos ? "" : c.name.substr(dot)),
            c.listed)
      << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, DropFilterAffixes,
                         ::testing::Values(AffixCase{"", "_BK", "", "_SEL", "notes.txt", true},
                                           AffixCase{"", "_BK", "", "_SEL", "notes.txt_BK", false},
                                           AffixCase{"", "_BK", "", "_SEL", "notes.txt_SEL", false},
                                           AffixCase{"", "_BK", "", "_SEL", "NOTES.TXT_sel", false},
                                           AffixCase{"", "", "", "_SEL", "notes.txt_BK", true},
                                           AffixCase{"bk_", "", "", "", "BK_notes.txt", false},
                                           AffixCase{"", "", "sel_", "", "Sel_notes.txt", false},
                                           AffixCase{"bk_", "", "sel_", "", "notes_bk_.txt", true},
                                           AffixCase{"", "_BK", "", "", "notes_BK.txt", true}));

class TargetListTest : public ::testing::Test {
 protected:
  std::string make(const std::string& relative, const std::string& content = "x\r\n") {
    const std::string path = dir.file(relative);
    fs::create_directories(fs::path(path).parent_path());
    WriteFile(path, content);
    return path;
  }
  std::string folder(const std::string& relative) {
    const std::string path = dir.file(relative);
    fs::create_directories(path);
    return path;
  }
  std::vector<std::string> list(const std::vector<std::string>& dropped) {
    return BuildTargetList(dropped, options).paths;
  }
  std::vector<std::string> under(const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const auto& n : names) out.push_back(dir.file(n));
    return out;
  }

  TempDir dir;
  RunOptions options;
};

TEST_F(TargetListTest, FolderIsListedDepthFirstInNameOrderIgnoringCase) {
  make("d.txt");
  make("b.txt");
  make("Sub/c.txt");
  make("Sub/A.txt");
  make("a.txt");
  make("C.txt");
  EXPECT_EQ(list({dir.path()}),
            under({"a.txt", "b.txt", "C.txt", "d.txt", "Sub/A.txt", "Sub/c.txt"}));
}

TEST_F(TargetListTest, SubfolderEntriesTakeThePlaceOfTheSubfolderName) {
  make("b.txt");
  make("c/c1.txt");
  make("c/c0/deep.txt");
  make("d.txt");
  EXPECT_EQ(list({dir.path() + "/"}), under({"b.txt", "c/c0/deep.txt", "c/c1.txt", "d.txt"}));
}

TEST_F(TargetListTest, NamesCompareUpperCasedSoUnderscoreFollowsLetters) {
  make("a_b.txt");
  make("AAB.txt");
  make("a1.txt");
  EXPECT_EQ(list({dir.path()}), under({"a1.txt", "AAB.txt", "a_b.txt"}));
}

TEST_F(TargetListTest, DroppedItemsKeepDropOrderAndFilterApplies) {
  const std::string z = make("z.txt");
  const std::string bk = make("z.txt_BK");
  const std::string a = make("a.txt");
  const std::string csv = make("b.csv");
  options.SelSts = "*.txt";
  EXPECT_EQ(list({z, "", bk, csv, a, z}), (std::vector<std::string>{z, a, z}));
}

TEST_F(TargetListTest, HiddenEntriesAreSkippedInsideFoldersOnly) {
  make("visible.txt");
  const std::string hidden = make(".hidden.txt");
  make(".git/config.txt");
  EXPECT_EQ(list({dir.path()}), under({"visible.txt"}));
  EXPECT_EQ(list({hidden}), (std::vector<std::string>{hidden}));
}

TEST_F(TargetListTest, FilterAppliesInsideFolders) {
  make("a.txt");
  make("a.txt_BK");
  make("a.txt_SEL");
  make("b.dat");
  make("readme");
  options.SelSts = "*.txt";
  EXPECT_EQ(list({dir.path()}), under({"a.txt", "readme"}));
}

TEST_F(TargetListTest, SymbolicLinksToFoldersDoNotLoop) {
  make("top.txt");
  make("sub/inner.txt");
  fs::create_directory_symlink(dir.path(), dir.file("sub/up"));
  fs::create_directory_symlink(dir.file("sub"), dir.file("zlink"));
  // "zlink" names the folder "sub", scanned before it in name order.
  EXPECT_EQ(list({dir.path()}), under({"sub/inner.txt", "top.txt"}));
}

// A link met inside a dropped folder may lead out of it and is not followed; a
// dropped link is (as grep -r and find do). Each entry says how far links in its
// path may be followed when it is processed: none below the dropped folder.
TEST_F(TargetListTest, LinksInsideADroppedFolderAreNotFollowedDroppedLinksAre) {
  TempDir outside;
  WriteFile(outside.file("secret.txt"), "");
  const std::string real = make("real.txt");
  make("sub/inner.txt");
  fs::create_symlink(real, dir.file("link.txt"));
  fs::create_symlink(outside.file("secret.txt"), dir.file("leak.txt"));
  fs::create_symlink(dir.file("missing.txt"), dir.file("dangling.txt"));
  fs::create_directory_symlink(outside.path(), dir.file("out"));
  fs::create_directory_symlink(dir.file("sub"), dir.file("sublink"));
  ASSERT_EQ(::mkfifo(dir.file("pipe.txt").c_str(), 0600), 0);
  make(".kadrel-temp-0123456789ab");  // a killed run's temporary

  const size_t root = dir.path().size() + 1;
  const size_t linkRoot = dir.file("sublink/").size();
  const struct {
    std::vector<std::string> dropped;
    std::vector<std::string> listed;
    std::vector<size_t> scanRoots;
  } cases[] = {
      {{dir.path()}, under({"real.txt", "sub/inner.txt"}), {root, root}},
      {{dir.file("link.txt"), dir.file("leak.txt")}, under({"link.txt", "leak.txt"}), {0, 0}},
      {{dir.file("sublink")}, under({"sublink/inner.txt"}), {linkRoot}},
      {{dir.file("pipe.txt"), dir.file(".kadrel-temp-0123456789ab")}, {}, {}},
  };
  for (const auto& c : cases) {
    const TargetListResult r = BuildTargetList(c.dropped, options);
    EXPECT_EQ(r.paths, c.listed) << c.dropped[0];
    EXPECT_EQ(r.scanRoots, c.scanRoots) << c.dropped[0];
  }
}

TEST_F(TargetListTest, UnreadableFolderIsSkippedSilently) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not apply to root";
  make("a.txt");
  make("locked/b.txt");
  make("z.txt");
  fs::permissions(dir.file("locked"), fs::perms::none);
  EXPECT_EQ(list({dir.path()}), under({"a.txt", "z.txt"}));
  fs::permissions(dir.file("locked"), fs::perms::owner_all);
}

TEST_F(TargetListTest, MissingDroppedFileIsListedForTheRunToReport) {
  EXPECT_EQ(list({dir.file("gone.txt")}), under({"gone.txt"}));
}

TEST_F(TargetListTest, NameEndingInABlankIsTakenAsItIs) {
  make("a.txt");
  const std::string blank = make("a.txt ");
  EXPECT_EQ(list({blank}), (std::vector<std::string>{blank}));
}

TEST_F(TargetListTest, ListStopsAtItsCapacityAndSaysSo) {
  const std::string f = make("f.txt");
  std::vector<std::string> dropped(kMaxTargetEntries, f);
  TargetListResult exact = BuildTargetList(dropped, options);
  EXPECT_EQ(exact.paths.size(), kMaxTargetEntries);
  EXPECT_FALSE(exact.truncated);
  dropped.push_back(f);
  TargetListResult over = BuildTargetList(dropped, options);
  EXPECT_EQ(over.paths.size(), kMaxTargetEntries);
  EXPECT_TRUE(over.truncated);
  // kadrel-cli's list has no capacity.
  TargetListResult any = BuildTargetList(dropped, options, kAnyNumberOfEntries);
  EXPECT_EQ(any.paths.size(), kMaxTargetEntries + 1);
  EXPECT_FALSE(any.truncated);
}

TEST_F(TargetListTest, PathsTooLongForTheSystemAreLeftOutAndNoted) {
  // Folders nested below the path length the system allows, made level by level.
  const std::string level(250, 'd');
  std::string deep = dir.path();
  int fd = ::open(deep.c_str(), O_RDONLY | O_DIRECTORY);
  while (deep.size() < PATH_MAX) {
    ASSERT_EQ(::mkdirat(fd, level.c_str(), 0755), 0);
    const int next = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
    deep += "/" + level;
    if (deep.size() + 100 > PATH_MAX && deep.size() < PATH_MAX) {  // a file past the limit
      ::close(::openat(fd, (std::string(150, 'f') + ".txt").c_str(), O_CREAT | O_WRONLY, 0644));
    }
  }
  ::close(fd);
  const std::string top = make("top.txt");
  const std::string overlongName = dir.file(std::string(NAME_MAX + 1, 'n') + ".txt");

  const TargetListResult r = BuildTargetList({overlongName, dir.path() + "/"}, options);
  EXPECT_EQ(r.paths, (std::vector<std::string>{top}));
  ASSERT_EQ(r.tooLong.size(), 3u);  // the dropped name, the deepest folder, the file
  EXPECT_EQ(r.tooLong[0], overlongName);
  for (const std::string& path : r.tooLong) EXPECT_GE(path.size(), size_t{NAME_MAX});
  const std::vector<std::string> notes = LeftOutNotes(r);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("[ " + overlongName + "]"), std::string::npos);
}

TEST(ProgramFolderTest, ExecutableFolderWhenWritableElseUserFolderCreated) {
  TempDir dir;
  EXPECT_EQ(ChooseProgramFolder(dir.path(), dir.file("user")), dir.path());
  EXPECT_FALSE(fs::exists(dir.file("user")));
  const std::string user = dir.file("home/.config/Kadrel");
  EXPECT_EQ(ChooseProgramFolder(dir.file("no-such-folder"), user), user);
  EXPECT_TRUE(fs::is_directory(user));
  if (::geteuid() != 0) {
    fs::create_directory(dir.file("ro"));
    fs::permissions(dir.file("ro"), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ChooseProgramFolder(dir.file("ro"), user), user);
    fs::permissions(dir.file("ro"), fs::perms::owner_all);
  }
  EXPECT_EQ(ExecutableFolder(), fs::read_symlink("/proc/self/exe").parent_path().string());
}

TEST(ProgramFolderTest, InstalledProgramKeepsSettingsPerUserEvenWhenItsFolderIsWritable) {
  // What each package installs beside usr/bin: the window's, kadrel-cli's alone.
  for (const char* installed : {"usr/share/kadrel/help", "usr/share/doc/kadrel-cli"}) {
    TempDir dir;
    fs::create_directories(dir.file("usr/bin"));
    const std::string user = dir.file("home/.config/Kadrel");
    EXPECT_EQ(ChooseProgramFolder(dir.file("usr/bin"), user), dir.file("usr/bin"));
    fs::create_directories(dir.file(installed));
    EXPECT_EQ(ChooseProgramFolder(dir.file("usr/bin"), user), user) << installed;
    EXPECT_TRUE(fs::is_directory(user));
  }
}

TEST(ProgramFolderTest, UserFolderFollowsXdgConfigHome) {
  struct Row {
    const char* xdg;  // nullptr: unset
    std::string folder;
  };
  const Row rows[] = {
      {"/srv/conf", "/srv/conf/Kadrel"},   {"/srv/conf/", "/srv/conf/Kadrel"},
      {nullptr, "/home/u/.config/Kadrel"}, {"", "/home/u/.config/Kadrel"},
      {"conf", "/home/u/.config/Kadrel"},  // relative: ignored
  };
  const std::string savedHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string xdgBefore = savedXdg != nullptr ? savedXdg : "";
  ::setenv("HOME", "/home/u", 1);
  for (const Row& row : rows) {
    if (row.xdg != nullptr) {
      ::setenv("XDG_CONFIG_HOME", row.xdg, 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
    EXPECT_EQ(UserConfigFolder(), row.folder) << (row.xdg != nullptr ? row.xdg : "unset");
  }
  ::setenv("HOME", savedHome.c_str(), 1);
  if (savedXdg != nullptr) {
    ::setenv("XDG_CONFIG_HOME", xdgBefore.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
}  // namespace kadrel
