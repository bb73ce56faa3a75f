// The preview's line diff and its unified form: the changes rebuild the new text
// exactly, stay few where few lines changed, also when the texts are compared
// window by window as they are read, and read as diff -u writes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "io/streams.h"
#include "run/preview/file_diff.h"
#include "run/preview/line_diff.h"
#include "run/preview/stream_diff.h"
#include "run/preview/unified_diff.h"

namespace kadrel {
namespace {

// The new text rebuilt from the old one and the changes (the equal lines
// checked on the way).
std::string Apply(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b,
                  const std::vector<LineChange>& changes) {
  std::string out;
  size_t i = 0, j = 0;
  auto equalUpTo = [&](size_t oldEnd) {
    for (; i < oldEnd; ++i, ++j) {
      EXPECT_EQ(a[i], b[j]) << "line " << i;
      out += a[i];
    }
  };
  for (const LineChange& c : changes) {
    equalUpTo(c.oldStart);
    EXPECT_EQ(j, c.newStart);
    for (size_t k = 0; k < c.newCount; ++k) out += b[c.newStart + k];
    i += c.oldCount;
    j += c.newCount;
  }
  equalUpTo(a.size());
  EXPECT_EQ(j, b.size());
  return out;
}

std::string Lines(std::initializer_list<const char*> lines) {
  std::string s;
  for (const char* l : lines) s += std::string(l) + "\n";
  return s;
}

TEST(LineDiff, FewChangesWhereFewLinesChanged) {
  struct Case {
    std::string name, before, after;
    std::vector<LineChange> changes;
  } cases[] = {
      {"one line changed", Lines({"a", "b", "c"}), Lines({"a", "B", "c"}), {{1, 1, 1, 1}}},
      {"line removed",
       Lines({"a", "", "b", "", "c"}),
       Lines({"a", "b", "c"}),
       {{1, 1, 1, 0}, {3, 1, 2, 0}}},
      {"line added at the top", Lines({"a", "b"}), Lines({"x", "a", "b"}), {{0, 0, 0, 1}}},
      {"everything removed", Lines({"a", "b"}), "", {{0, 2, 0, 0}}},
      {"last line end added", "a\nb", "a\nb\r\n", {{1, 1, 1, 1}}},
      {"every other line changed",
       Lines({"1", "a", "2", "b", "3"}),
       Lines({"1", "A", "2", "B", "3"}),
       {{1, 1, 1, 1}, {3, 1, 3, 1}}},
  };
  for (const Case& c : cases) {
    const auto a = SplitAfterLf(c.before), b = SplitAfterLf(c.after);
    EXPECT_EQ(DiffLines(a, b), c.changes) << c.name;
  }
}

TEST(LineDiff, ChangesRebuildTheNewTextWhateverTheTexts) {
  std::mt19937 rng(17);
  // Few distinct lines make many equal lines in odd places; long texts pass the
  // bounded search and its fallbacks (a large block gone, a long run changed).
  for (int round = 0; round < 300; ++round) {
    const int distinct = 2 + static_cast<int>(rng() % 40);
    std::vector<std::string> pool;
    for (int p = 0; p < distinct; ++p) pool.push_back("line " + std::to_string(p) + "\r\n");
    std::string before;
    const size_t length = rng() % (round % 10 == 0 ? 3000 : 60);
    for (size_t k = 0; k < length; ++k) before += pool[rng() % pool.size()];
    std::string after;
    for (std::string_view line : SplitAfterLf(before)) {
      const unsigned r = rng() % 100;
      if (r < 5) continue;                                             // removed
      if (r < 8) after += pool[rng() % pool.size()];                   // added
      after += r < 20 ? std::string("changed\n") : std::string(line);  // changed or kept
    }
    if (round % 7 == 0) after = after.substr(0, after.size() / 3);  // a long tail gone
    if (round % 5 == 0 && !after.empty()) after.pop_back();         // no final LF
    const auto a = SplitAfterLf(before), b = SplitAfterLf(after);
    EXPECT_EQ(Apply(a, b, DiffLines(a, b)), after) << "round " << round;
  }
}

// The lines of a streamed comparison.
struct Walked : LineWalk {
  std::vector<std::pair<char, std::string>> lines;
  void line(char kind, std::string_view text) override { lines.emplace_back(kind, text); }
};

TEST(StreamDiff, WindowByWindowTheLinesRebuildBothTexts) {
  const DiffWindow small{8, 200};
  auto numbered = [](size_t from, size_t to) {
    std::string s;
    for (size_t k = from; k < to; ++k) s += "line " + std::to_string(k) + "\n";
    return s;
  };
  struct Case {
    std::string name, before, after;
    int removed = -1, added = -1;  // where a window still finds the fewest (-1: any)
  } cases[] = {
      {"one line changed far in", numbered(0, 500),
       numbered(0, 250) + "changed\n" + numbered(251, 500), 1, 1},
      {"a block added larger than a window", numbered(0, 40),
       numbered(0, 20) + numbered(100, 160) + numbered(20, 40), 0, 60},
      {"every line changed", numbered(0, 300), numbered(1000, 1300), 300, 300},
      {"lines moved far: removed and added", numbered(0, 100), numbered(50, 100) + numbered(0, 50)},
      {"a line longer than the byte bound", numbered(0, 30) + std::string(5000, 'x') + "\n",
       numbered(0, 30) + std::string(5000, 'y') + "\n", 1, 1},
      {"the last line end removed", numbered(0, 50), numbered(0, 50).substr(0, 200), -1, -1},
  };
  for (const Case& c : cases) {
    auto a = MemoryInput(c.before), b = MemoryInput(c.after);
    Walked walk;
    ASSERT_TRUE(DiffStreams(*a, *b, walk, small)) << c.name;
    std::string before, after;
    int removed = 0, added = 0;
    char previous = ' ';
    for (const auto& [kind, text] : walk.lines) {
      if (kind != '+') before += text;
      if (kind != '-') after += text;
      removed += kind == '-';
      added += kind == '+';
      EXPECT_FALSE(previous == '+' && kind == '-') << c.name << ": a change's added lines last";
      previous = kind;
    }
    EXPECT_EQ(before, c.before) << c.name;
    EXPECT_EQ(after, c.after) << c.name;
    if (c.removed >= 0) {
      EXPECT_EQ(removed, c.removed) << c.name;
    }
    if (c.added >= 0) {
      EXPECT_EQ(added, c.added) << c.name;
    }
  }
}

// A file's change as the CLI writes it: header, then each hunk once complete.
struct UnifiedText : PreviewSink {
  std::string out, lines;
  void fileStarted(const ChangedFile& file) override { out += UnifiedDiffHeader(file); }
  void hunkLine(char kind, size_t, size_t, std::string_view line) override {
    AppendHunkLine(kind, line, CodePage::UTF8, Controls::AsTheyAre, DiffColors::None, lines);
  }
  void hunkDone(const Hunk& hunk) override {
    AppendHunkHeader(hunk, DiffColors::None, out);
    out += lines;
    lines.clear();
  }
  void fileDone(const ChangedFile&) override {}
};

TEST(UnifiedDiff, ReadsAsDiffUWritesIt) {
  struct Case {
    std::string name, before, after, diff;
    bool newFile = false;
  } cases[] = {
      {"context of three, changes apart in two hunks",
       Lines({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}),
       Lines({"one", "2", "3", "4", "5", "6", "7", "8", "9", "10", "eleven"}),
       "--- /t/a.txt\n+++ /t/a.txt\n@@ -1,4 +1,4 @@\n-1\n+one\n 2\n 3\n 4\n"
       "@@ -8,4 +8,4 @@\n 8\n 9\n 10\n-11\n+eleven\n"},
      {"a last line without its line end", "a\r\nb", "a\r\nb\r\n",
       "--- /t/a.txt\n+++ /t/a.txt\n@@ -1,2 +1,2 @@\n a\r\n-b\n\\ No newline at end of "
       "file\n+b\r\n"},
      {"a result file", "", "x\r\ny\r\n",
       "--- /dev/null\n+++ /t/a.txt\n@@ -0,0 +1,2 @@\n+x\r\n+y\r\n", true},
      {"everything removed", "x\n", "", "--- /t/a.txt\n+++ /t/a.txt\n@@ -1 +0,0 @@\n-x\n"},
      {"six equal lines between changes: one hunk", Lines({"1", "2", "3", "4", "5", "6", "7", "8"}),
       Lines({"one", "2", "3", "4", "5", "6", "7", "eight"}),
       "--- /t/a.txt\n+++ /t/a.txt\n@@ -1,8 +1,8 @@\n-1\n+one\n 2\n 3\n 4\n 5\n 6\n "
       "7\n-8\n+eight\n"},
  };
  for (const Case& c : cases) {
    UnifiedText sink;
    HunkGrouper hunks({"/t/a.txt", c.newFile, CodePage::UTF8}, sink);
    auto a = MemoryInput(c.before), b = MemoryInput(c.after);
    ASSERT_TRUE(DiffStreams(*a, *b, hunks));
    hunks.finish();
    EXPECT_EQ(sink.out, c.diff) << c.name;
  }
}

// Reads its text, then fails after the first failAfter bytes.
class FailingInput : public InputFile {
 public:
  FailingInput(std::string text, size_t failAfter) : text_(std::move(text)), left_(failAfter) {}
  long read(char* buffer, size_t n) override {
    if (left_ == 0) return -1;
    n = std::min({n, left_, text_.size() - at_});
    text_.copy(buffer, n, at_);
    at_ += n;
    left_ -= n;
    return static_cast<long>(n);
  }
  FileStatus lastError() const override { return StatusFromErrno(EIO); }

 private:
  std::string text_;
  size_t at_ = 0, left_;
};

// A read that fails halfway ends the comparison: the hunks found before it are
// given, and the file is marked as compared in part, never as complete.
TEST(UnifiedDiff, AReadThatFailsEndsTheComparisonAndSaysSo) {
  std::string oldText, newText;
  for (int i = 1; i <= 40; ++i) {
    const std::string line = std::to_string(i);
    oldText += line + "\r\n";
    newText += (i == 2 ? "two" : i == 38 ? "thirty-eight" : line) + "\r\n";
  }
  for (bool oldFails : {false, true}) {
    SCOPED_TRACE(oldFails ? "the old text fails" : "the new text fails");
    struct Sink : UnifiedText {
      std::vector<bool> done;
      void fileDone(const ChangedFile& file) override { done.push_back(file.incomplete); }
    } sink;
    HunkGrouper hunks({"/t/a.txt", false, CodePage::UTF8}, sink);
    const size_t half = oldText.size() / 2;
    std::unique_ptr<InputFile> a =
        oldFails ? std::make_unique<FailingInput>(oldText, half) : MemoryInput(oldText);
    std::unique_ptr<InputFile> b =
        oldFails ? MemoryInput(newText) : std::make_unique<FailingInput>(newText, half);
    EXPECT_FALSE(DiffStreams(*a, *b, hunks, DiffWindow{4, 64}));
    hunks.finish(true);
    EXPECT_EQ(
        sink.out,
        "--- /t/a.txt\n+++ /t/a.txt\n@@ -1,5 +1,5 @@\n 1\r\n-2\r\n+two\r\n 3\r\n 4\r\n 5\r\n");
    EXPECT_EQ(sink.done, std::vector<bool>{true});
  }
}

TEST(UnifiedDiff, ShowsWhatIsNoTextVisibly) {
  struct Case {
    std::string bytes;
    CodePage codePage;
    Controls controls;
    std::string shown;
  } cases[] = {
      {"\x82\xa0\xff", CodePage::CP932, Controls::AsTheyAre, "あ\\xFF"},
      {"a\x1b[2Jb\tc", CodePage::UTF8, Controls::Visible, "a\\x1B[2Jb\tc"},
      {"a\x1b[2Jb", CodePage::UTF8, Controls::AsTheyAre, "a\x1b[2Jb"},
      {"\xc2\x9b"
       "1m",
       CodePage::UTF8, Controls::Visible, "\\u009B1m"},
      {"\xa4\xa2\r", CodePage::EUCJP, Controls::Visible, "あ\\x0D"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShownLine(c.bytes, c.codePage, c.controls), c.shown);
  EXPECT_EQ(DiffPath("/t/a b\"c.txt"), "\"/t/a b\\\"c.txt\"");
  EXPECT_EQ(DiffPath("/t/議事録.txt"), "/t/議事録.txt");
}

}  // namespace
}  // namespace kadrel
