// kadrel-cli --dry-run end to end: for every mode and a COMBO!! run it writes
// nothing, exits as the run does, and its diff, applied with patch, gives what
// the run writes. It opens no file for writing.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "cli_fixture.h"

namespace kadrel::test {
namespace {

namespace fs = std::filesystem;

// Every file under a folder: its bytes and modification time.
struct Snapshot {
  std::map<std::string, std::pair<std::string, long long>> files;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const std::string& folder) {
  Snapshot s;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    struct stat st {};
    ::stat(entry.path().c_str(), &st);
    s.files[entry.path().string()] = {ReadFile(entry.path()),
                                      st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
  }
  return s;
}

// The names and bytes only, backup copies left out (a diff does not make them).
std::map<std::string, std::string> Contents(const Snapshot& s) {
  std::map<std::string, std::string> out;
  for (const auto& [path, file] : s.files) {
    if (!path.ends_with("_BK")) out[path] = file.first;
  }
  return out;
}

void Restore(const std::string& folder, const Snapshot& s) {
  fs::remove_all(folder);
  for (const auto& [path, file] : s.files) {
    fs::create_directories(fs::path(path).parent_path());
    WriteFile(path, file.first);
  }
}

struct PreviewCase {
  std::string name;
  std::vector<std::string> args;  // the step, the combo, options
};
void PrintTo(const PreviewCase& c, std::ostream* os) {
  *os << c.name;
}

class CliDryRun : public CliTest, public ::testing::WithParamInterface<PreviewCase> {};

TEST_P(CliDryRun, WritesNothingAndItsDiffGivesTheRunsResult) {
  make("a.txt", "foo bar\r\n\r\n  baz  \r\nfoo\r\nBEGIN\r\nx\r\nEND\r\n");
  make("sub/b.txt", "nothing here\r\nlast line without end");
  make("sub/c d.txt", "foo\nbar\n");  // LF only: skipped with a box but by mode 1
  make("e.txt", "");
  make("steps.cmb", "3,BEGIN,END,#\r\n0,0,x,0,foo,#\r\n5,1,1,1,0,1,#\r\n");
  std::vector<std::string> args = GetParam().args;
  args.insert(args.end(), {"-o", "CodePage=UTF-8", "-o", "SelSts=*.txt", "."});
  const Snapshot before = Take(files());

  std::vector<std::string> dry = args;
  dry.insert(dry.begin(), "--dry-run");
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  for (const std::string& folder : {files(), at("sub")})
    ASSERT_GE(::inotify_add_watch(watch, folder.c_str(), IN_CLOSE_WRITE), 0);
  const CliResult preview = cli(dry);
  EXPECT_EQ(Take(files()), before) << "the dry run wrote";
  char events[4096];
  EXPECT_LE(::read(watch, events, sizeof events), 0) << "a file was opened for writing";
  ::close(watch);

  WriteFile(work.file("run.diff"), preview.out);
  // Paths as given: relative to the folder the run was made in.
  const std::string patch = "patch -s -d " + files() + " -p0 <" + work.file("run.diff");
  ASSERT_EQ(std::system(patch.c_str()), 0) << preview.out;
  const Snapshot patched = Take(files());
  EXPECT_NE(Contents(patched), Contents(before)) << "nothing to preview";

  Restore(files(), before);
  const CliResult run = cli(args);
  EXPECT_EQ(preview.status, run.status) << preview.err << run.err;
  EXPECT_EQ(preview.err, run.err);
  EXPECT_EQ(Contents(patched), Contents(Take(files())));
}

INSTANTIATE_TEST_SUITE_P(
    EveryMode, CliDryRun,
    ::testing::Values(
        PreviewCase{"Replace", {"-s", "0,0,foo,0,qux,#"}},
        PreviewCase{"ReplaceKeepingBackups", {"-s", "0,0,o,4,,#", "-o", "BkupEdit=1"}},
        PreviewCase{"ConvertNewline", {"-s", "1,#"}},
        PreviewCase{"NumberLineHeads", {"-s", "2,0,0,2,0,0,,0001,1,#"}},
        PreviewCase{"ExtractRange", {"-s", "3,BEGIN,END,#"}},
        PreviewCase{"ExtractMatchingJointly", {"-s", "4,o,True,,False,,#", "-o", "SelFile=1"}},
        PreviewCase{"DeleteBlanks", {"-s", "5,1,1,1,0,1,#"}},
        PreviewCase{"Combo", {"-c", "steps.cmb"}}));

TEST_F(CliTest, DryRunShowsLinesInUtf8WithUndecodableBytesAsEscapes) {
  make("a.txt", "\x82\xa0\x1b[2J\xff\r\n");  // CP932: あ, ESC, a byte CP932 has no character for
  const CliResult r = cli({"-n", "-s", "0,0,あ,0,い,#", "a.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "--- a.txt\n+++ a.txt\n@@ -1 +1 @@\n-あ\x1b[2J\\xFF\r\n+い\x1b[2J\\xFF\r\n");
  EXPECT_EQ(ReadFile(at("a.txt")), "\x82\xa0\x1b[2J\xff\r\n");
}

}  // namespace
}  // namespace kadrel::test
