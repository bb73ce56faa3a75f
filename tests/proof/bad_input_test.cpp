// Hostile input end to end: binary files, a 100 MB line, a COMBO!! file of 100,000
// lines, settings files of garbage, settings and COMBO!! files that are no regular
// file. Each ends with a clear message or a correct result, never a crash, a hang
// or a silent loss.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string_view>

#include "combo/combo_loader.h"
#include "combo/step_list_file.h"
#include "proof/cli_runner.h"
#include "proof/run_world.h"
#include "settings/app_settings.h"
#include "settings/ini_file.h"
#include "support/fake_host.h"
#include "text/code_page.h"

namespace kadrel::proof {
namespace {

using test::ReadFile;
using test::WriteFile;

// Every byte value, NULs, bytes that no code page decodes, lone LFs after the
// first line and a long line of random bytes; every line ends in CR LF.
std::string BinaryContent() {
  std::string s;
  for (int b = 0; b < 256; ++b)
    if (b != '\r' && b != '\n') s += static_cast<char>(b);
  s += "\r\n";
  s += std::string("\0\0\0NUL\0", 8) + "\r\n";
  s += "\x82\r\n";                                      // a lead byte cut by the line end
  s += "\x81\x7f\xfc\xfc\xa0\xfd\xfe\xff\x85\x40\r\n";  // not CP932
  s += "\x8e\x20\x8f\xa1\xa1\xa1\xff\xfe\xa1\r\n";      // not EUC-JP
  s += "\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80\xe3\x81\xed\xb2\x80\r\n";  // not UTF-8
  s += "lone\nLF\n\r\n";
  s += std::string("MARK \0\xff\x80", 8) + "\r\n";
  std::mt19937 random(8);
  for (int i = 0; i < 65536; ++i) {
    char c = static_cast<char>(random());
    s += c == '\r' ? '\n' : c;
  }
  return s + "\r\n";
}

class BinaryFiles : public testing::TestWithParam<CodePageSetting> {};

// A file that holds a NUL among its first 64 KiB is no text: every rewriting
// step, plain or COMBO!!, leaves it as it was with its box (no backup, no
// temporary), whatever it would have changed. UTF-16 with its mark is text to
// the code page guess alone.
TEST_P(BinaryFiles, RewritingStepsLeaveThemAlone) {
  using namespace std::string_view_literals;
  const std::string utf16("\xFF\xFEM\0A\0R\0K\0\r\0\n\0", 14);
  const bool automatic = GetParam().automatic;
  const struct {
    const char* name;
    std::string content;
    bool binary;
  } files[] = {
      {"every byte value", BinaryContent(), true},
      {"PNG", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x10MARK\r\n"sv), true},
      {"ELF",
       std::string("\x7F"
                   "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0>\0MARK\r\n"sv),
       true},
      {"UTF-16 without its mark", std::string("M\0A\0R\0K\0\r\0\n\0", 12), true},
      {"UTF-16 with its mark", utf16, !automatic},
      {"a NUL past the first 64 KiB",
       "MARK\r\n" + std::string(64 << 10, 'a') + std::string("\0\r\n", 3), false},
  };
  const std::vector<std::pair<std::vector<std::string>, bool>> runs = {
      {{"0,0,not there,0,x,#"}, false},  // replacement without a match
      {{"0,0,MARK,0,x,#"}, false},       // with one
      {{"1,#"}, false},
      {{"2,0,0,1,1,0,X,0,0,#"}, false},  // insert at the line heads
      {{"5,1,0,1,0,0,#"}, false},
      {{"0,0,not there,0,x,#", "2,1,0,0,0,0,,0,0,#", "0,1,,0,\t,#"}, true},
  };
  for (const auto& file : files) {
    for (const auto& [steps, combo] : runs) {
      SCOPED_TRACE(std::string(file.name) + ": " + steps[0] + (combo ? " (COMBO!!)" : ""));
      Scenario s;
      s.steps = steps;
      s.combo = combo;
      s.options.codePage = GetParam();
      s.files = {{"bin.dat", file.content}};
      World w(s);
      w.run();
      if (!file.binary) {  // text: the replacement with a match changes it
        EXPECT_EQ(w.boxes(), std::vector<std::string>{});
        if (steps[0] == "0,0,MARK,0,x,#") {
          EXPECT_FALSE(ReadFile(w.path("bin.dat")) == file.content);
        }
        continue;
      }
      EXPECT_EQ(w.boxes(), std::vector<std::string>{"|バイナリファイルのため処理を飛ばします\r[ " +
                                                    w.path("bin.dat") + " ]"});
      EXPECT_TRUE(ReadFile(w.path("bin.dat")) == file.content);
      EXPECT_FALSE(test::FileExists(w.backupOf("bin.dat")));
      EXPECT_EQ(test::TemporariesIn(w.root()), 0);
      EXPECT_EQ(w.report().targets.at(0).outcome, TargetOutcome::Skipped);
    }
  }
}

TEST_P(BinaryFiles, ExtractedLinesKeepTheirBytes) {
  Scenario s;
  s.steps = {"4,MARK,False,,False,,#"};
  s.options.codePage = GetParam();
  s.options.SelAddSts = 1;  // the lines alone, without header and trailer
  s.files = {{"bin.dat", BinaryContent()}};
  World w(s);
  w.run();
  EXPECT_EQ(w.boxes(), std::vector<std::string>{});
  EXPECT_EQ(ReadFile(w.path("bin.dat_SEL")), std::string("MARK \0\xff\x80\r\n", 10));
}

INSTANTIATE_TEST_SUITE_P(CodePages, BinaryFiles,
                         testing::Values(CodePageSetting(CodePage::CP932),
                                         CodePageSetting(CodePage::UTF8),
                                         CodePageSetting(CodePage::EUCJP), CodePageSetting::Auto()),
                         [](const auto& info) {
                           std::string name = CodePageSettingName(info.param);
                           std::erase(name, '-');
                           return name;
                         });

constexpr size_t kHundredMegabytes = 100u << 20;

TEST(HugeLine, AHundredMegabytesWithoutCrIsOneLineReplacedWhole) {
  Scenario s;
  s.steps = {"0,0,needle,0,NEEDLE,#"};
  s.options.BkupEdit = 0;
  std::string content(kHundredMegabytes, 'x');
  content.replace(10, 6, "needle");
  content.replace(kHundredMegabytes - 7, 6, "Needle");  // text comparison: found too
  s.files = {{"huge.txt", std::move(content)}};
  World w(s);
  w.run();
  EXPECT_EQ(w.boxes(), std::vector<std::string>{});
  const std::string after = ReadFile(w.path("huge.txt"));
  ASSERT_EQ(after.size(), kHundredMegabytes + 2);
  EXPECT_EQ(after.substr(0, 20), "xxxxxxxxxxNEEDLExxxx");
  EXPECT_EQ(after.substr(after.size() - 10), "xNEEDLEx\r\n");
  EXPECT_EQ(after.find_first_not_of('x', 16), kHundredMegabytes - 7);
  EXPECT_FALSE(test::FileExists(w.backupOf("huge.txt")));
}

TEST(HugeLine, AHundredMegabytesOfLfLinesGetCrLf) {
  Scenario s;
  s.steps = {"1,#"};
  s.options.BkupEdit = 0;
  std::string content;
  content.reserve(kHundredMegabytes);
  const std::string line = std::string(999, 'y') + "\n";
  while (content.size() + line.size() <= kHundredMegabytes) content += line;
  const size_t lines = content.size() / line.size();
  s.files = {{"huge.txt", std::move(content)}};
  World w(s);
  w.run();
  EXPECT_EQ(w.boxes(), std::vector<std::string>{});
  const std::string after = ReadFile(w.path("huge.txt"));
  ASSERT_EQ(after.size(), lines * (line.size() + 1));  // the last LF ends the last line
  EXPECT_EQ(after.substr(0, 1001), std::string(999, 'y') + "\r\n");
  EXPECT_EQ(after.substr(after.size() - 3), "y\r\n");
}

std::string Lines(size_t n, const std::function<std::string(size_t)>& line) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += line(i) + "\r\n";
  return s;
}

class LongComboFile : public testing::Test {
 protected:
  LongComboFile() { WriteFile(dir.file("Kadrel.ini"), ""); }
  test::TempDir dir;
  test::FakeHost host;
};

TEST_F(LongComboFile, LoadsTwoHundredStepsAndSaysSoOnce) {
  const std::string path = dir.file("long.txt");
  WriteFile(path, Lines(100000, [](size_t i) { return i % 2 ? "1,#" : "#,heading,#"; }));
  ComboModel model;
  EXPECT_EQ(LoadComboFile(host, SystemFileLayer(), CodePage::CP932, path, model),
            ComboLoadResult::LimitReached);
  EXPECT_EQ(model.steps.size(), 200u);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "COMBO!!処理が200を超えました\r\nこれ以上の展開はできません");
}

TEST_F(LongComboFile, BadLinesAreEachReportedAndSkipped) {
  const std::string path = dir.file("bad.txt");
  WriteFile(path, Lines(100000, [](size_t i) {
              return i == 99999 ? std::string("1,#") : "9," + std::to_string(i) + ",#";
            }));
  ComboModel model;
  EXPECT_EQ(LoadComboFile(host, SystemFileLayer(), CodePage::CP932, path, model),
            ComboLoadResult::Loaded);  // every problem answered with OK
  EXPECT_EQ(model.steps, std::vector<std::string>{"1,#"});
  EXPECT_EQ(host.boxes.size(), 99999u);
  EXPECT_EQ(host.boxes[0].text, "処理区分に誤まりがあります [ 9 ]");
}

TEST_F(LongComboFile, TheStepListFileHasNoLimit) {
  const std::string path = dir.file("KadrelCmb.data");
  WriteFile(path, Lines(100000, [](size_t) { return "5,1,1,0,0,1,#"; }));
  ComboModel model;
  ASSERT_TRUE(ReadStepListFile(host, SystemFileLayer(), CodePage::CP932, path, model).ok());
  EXPECT_EQ(model.steps.size(), 100000u);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(LongComboFile, RunsItsFirstTwoHundredStepsThroughTheCli) {
  WriteFile(dir.file("long.txt"),
            Lines(100000, [](size_t i) { return "2,1,0,1,1,0,+" + std::to_string(i) + ",0,0,#"; }));
  WriteFile(dir.file("t.txt"), "a\r\nb\r\n");
  const CliResult r =
      RunCli({"--ini", dir.file("Kadrel.ini"), "-q", "-c", dir.file("long.txt"), dir.file("t.txt")},
             dir.path());
  EXPECT_EQ(r.status, 1);  // the run ended after a box
  EXPECT_EQ(r.err, "[Kadrel] COMBO!!処理が200を超えました\nこれ以上の展開はできません\n");
  std::string tail;
  for (int i = 0; i < 200; ++i) tail += "+" + std::to_string(i);
  EXPECT_EQ(ReadFile(dir.file("t.txt")), "a" + tail + "\r\nb" + tail + "\r\n");
  EXPECT_EQ(ReadFile(dir.file("t.txt_BK")), "a\r\nb\r\n");
}

// Settings files that were damaged, edited by hand or written by something else.
class BadSettings : public testing::Test {
 protected:
  test::TempDir dir;
  std::string ini = dir.file("Kadrel.ini");
};

TEST_F(BadSettings, LoadWithDefaultsAndValuesInRange) {
  std::mt19937 random(3);
  std::string noise(1 << 18, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const std::string files[] = {
      noise,
      "",
      "[Foo]\r\nBar=1\r\n",
      "[Option]\r\nCompMode=99999999999999999999\r\nBkupEdit=-40000\r\nSelFile=1e9\r\n"
      "UpdateNoFile=  7  \r\nSelSts=" +
          std::string(1 << 20, '*') + "\r\nCodePage=KOI8-R\r\n[Settings]\r\nMainLeft=" +
          std::string(5000, '9') + "\r\nModeIdx=70000\r\n",
      std::string("[Option]\0\r\nLstChrBk=\0\0x\r\n[recent]\r\n0=", 33) + std::string(300, 'h'),
      "[Option]\nLstChrBk=" + std::string(1 << 20, 'k') + "\n",  // a 1 MB line
  };
  for (const std::string& content : files) {
    SCOPED_TRACE(content.substr(0, 40));
    WriteFile(ini, content);
    AppSettings settings;
    ModeSettings modes;
    settings.geometry = {1, 2, 3, 4};
    const ModeLoadResult result = LoadAppSettings(ini, settings, modes).modes;
    const RunOptions& o = settings.options;
    EXPECT_LE(o.SelSts.size(), 255u);
    EXPECT_LE(o.LstChrBk.size(), 255u);
    EXPECT_LE(settings.history.size(), 20u);
    EXPECT_TRUE(o.BkupEdit == 0 || o.BkupEdit == 1) << o.BkupEdit;
    EXPECT_GE(modes.ModeIdx, 0);
    EXPECT_LE(modes.ModeIdx, 6);
    if (content.find("ModeIdx=70000") != std::string::npos) {
      EXPECT_FALSE(result.complete);
      EXPECT_EQ(o.CompMode, 0);  // not a 16-bit number: 0
      EXPECT_EQ(o.BkupEdit, 0);
      EXPECT_EQ(o.SelSts, std::string(255, '*'));
      EXPECT_EQ(settings.geometry.left, 1);            // unusable: left as it was
      EXPECT_EQ(o.codePage, CodePageSetting::Auto());  // an unknown one: the default
    }
    if (content == "" || content.rfind("[Foo]", 0) == 0) {
      EXPECT_TRUE(result.complete);
      EXPECT_EQ(o.BkupEdit, 1);  // defaults
      EXPECT_EQ(o.LstChrBk, "_BK");
      EXPECT_EQ(settings.geometry.width, 3);
    }
  }
}

TEST_F(BadSettings, ARunWithThemEndsWithAResultOrAMessage) {
  const std::string target = dir.file("t.txt");
  struct Case {
    std::string ini;
    std::string expectedTarget;  // after the run
    std::string backupName;      // "" when no backup copy is expected
    int status;
    std::string err;  // a part of standard error
  } cases[] = {
      {"garbage \x01\x02 without sections\r\n===\r\n[[\r\n", "X\r\n", "t.txt_BK", 0, ""},
      {"[Option]\r\nBkupEdit=99999999\r\n", "X\r\n", "", 0, ""},  // not a number: 0, no backup kept
      // Affixes that would lead a name out of its folder: nothing runs.
      {"[Option]\r\nFstChrBk=no/such/folder/\r\n", "a\r\n", "", 2, "」の FstChrBk に「/」"},
      {"[Option]\r\nLstChrBk=/\r\n", "a\r\n", "", 2, "」の LstChrBk に「/」"},
      {"[Option]\r\nLstChr=..\r\n", "a\r\n", "", 2, "」の LstChr に「/」"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    WriteFile(ini, c.ini);
    WriteFile(target, "a\r\n");
    std::filesystem::remove(target + "_BK");
    const CliResult r = RunCli({"--ini", ini, "-q", "-s", "0,0,a,0,X,#", target}, dir.path());
    EXPECT_EQ(ReadFile(target), c.expectedTarget);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    if (!c.backupName.empty()) {
      EXPECT_EQ(ReadFile(dir.file(c.backupName)), "a\r\n");
    }
  }
}

// A settings, COMBO!! or step list file that is a FIFO (nobody writing), a device
// that never ends, a folder, or a file beyond any size the program reads: every
// reader refuses it at once with the File Open Error box, and kadrel-cli runs
// nothing.
TEST(HostileInputFiles, GetTheOpenBoxAtOnce) {
  namespace fs = std::filesystem;
  const struct Kind {
    const char* name;
    std::function<void(const std::string&)> make;
    int code;
  } kinds[] = {
      {"fifo", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
       kErrNotRegularFile},
      {"endless device", [](const std::string& p) { fs::create_symlink("/dev/zero", p); },
       kErrNotRegularFile},
      {"folder", [](const std::string& p) { fs::create_directory(p); }, EISDIR},
      {"oversized",
       [](const std::string& p) {
         WriteFile(p, "1,#\r\n");
         fs::resize_file(p, kIniFileMaxBytes + 1);  // sparse: no disk used
       },
       EFBIG},
  };
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    test::TempDir dir;
    const std::string hostile = dir.file("hostile");
    kind.make(hostile);
    const std::string target = dir.file("t.txt");
    WriteFile(target, "a\r\n");

    AppSettings settings;
    ModeSettings modes;
    EXPECT_EQ(LoadAppSettings(hostile, settings, modes).file.code, kind.code);
    EXPECT_EQ(settings.options.LstChrBk, "_BK");

    test::FakeHost host;
    ComboModel model;
    EXPECT_EQ(LoadComboFile(host, SystemFileLayer(), CodePage::CP932, hostile, model),
              ComboLoadResult::OpenFailed);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].title, "File Open Error");
    EXPECT_EQ(ReadStepListFile(host, SystemFileLayer(), CodePage::CP932, hostile, model).code,
              kind.code);

    WriteFile(dir.file("Kadrel.ini"), "");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--ini", dir.file("Kadrel.ini"), "-q", "-c", hostile, target},
          std::vector<std::string>{"--ini", hostile, "-q", "-s", "1,#", target}}) {
      const CliResult r = RunCli(args, dir.path());
      EXPECT_EQ(r.status, 2) << r.err;
      EXPECT_EQ(r.err.rfind("[File Open Error] ", 0), 0u) << r.err;
    }
    EXPECT_EQ(ReadFile(target), "a\r\n");
  }
}

}  // namespace
}  // namespace kadrel::proof
