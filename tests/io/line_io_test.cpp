#include <gtest/gtest.h>

#include "io/line_io.h"
#include "support/fake_files.h"
#include "support/temp_dir.h"

namespace kadrel {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::vector<std::string> ReadAllLines(const std::string& path, bool& ok) {
  LineReader reader(SystemFileLayer().openRead(path).file, CodePage::CP932);
  std::vector<std::string> lines;
  std::string line;
  ok = true;
  while (!reader.atEnd()) {
    if (!reader.readRaw(line)) {
      ok = false;
      break;
    }
    lines.push_back(line);
  }
  return lines;
}

// A file read whole is refused beyond its limit: at the open when its size shows
// it, or at the read that passes the limit (a layer that cannot tell the size).
TEST(BoundedReadTest, StopsBeyondTheLimit) {
  TempDir dir;
  const std::string path = dir.file("ten");
  WriteFile(path, "0123456789");
  test::FakeFiles sizeUnknown;  // the plain layer's wrapper around openRead
  const struct {
    FileLayer& files;
    size_t maxBytes;
    int openCode;
    int readCode;
  } cases[] = {
      {SystemFileLayer(), 10, 0, 0},
      {SystemFileLayer(), 9, EFBIG, 0},
      {sizeUnknown, 10, 0, 0},
      {sizeUnknown, 9, 0, EFBIG},
  };
  for (const auto& c : cases) {
    Opened<InputFile> opened = c.files.openReadBounded(path, c.maxBytes);
    EXPECT_EQ(opened.status.code, c.openCode) << c.maxBytes;
    if (!opened) continue;
    InputFile* file = opened.file.get();
    std::string bytes;
    char buffer[4];
    long r;
    while ((r = file->read(buffer, sizeof buffer)) > 0)
      bytes.append(buffer, static_cast<size_t>(r));
    EXPECT_EQ(r < 0 ? file->lastError().code : 0, c.readCode) << c.maxBytes;
    if (c.readCode == 0) {
      EXPECT_EQ(bytes, "0123456789");
    }
  }
}

TEST(LineReaderTest, SplitsAtCrAndCrLfKeepingLoneLf) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"\r\n", {""}},
      {"\r\n\r\n", {"", ""}},
      {"a\nb\n", {"a\nb\n"}},
      {"a\n\r\nb", {"a\n", "b"}},
      {"a\r\r\n", {"a", ""}},
      {"\n", {"\n"}},
  };
  TempDir dir;
  for (const auto& c : cases) {
    WriteFile(dir.file("in"), c.bytes);
    bool ok;
    EXPECT_EQ(ReadAllLines(dir.file("in"), ok), c.lines) << testing::PrintToString(c.bytes);
    EXPECT_TRUE(ok);
  }
}

TEST(LineReaderTest, HandlesLineEndsAcrossBufferBoundaries) {
  TempDir dir;
  const size_t buffer = 16;
  // A CR as the last byte of the first buffer, its LF first in the next one,
  // then a line longer than two buffers holding a multi-byte character on a boundary.
  std::string first(buffer - 1, 'x');
  std::string longLine(2 * buffer + 10, 'y');
  longLine.replace(2 * buffer - 1, 2, "\x82\xa0");
  WriteFile(dir.file("in"), first + "\r\n" + longLine + "\r\nz");
  LineReader reader(SystemFileLayer().openRead(dir.file("in")).file, CodePage::CP932, buffer);
  std::u32string line;
  ASSERT_TRUE(reader.readLine(line));
  EXPECT_EQ(line.size(), buffer - 1);
  ASSERT_TRUE(reader.readLine(line));
  EXPECT_EQ(line.size(), longLine.size() - 1);  // two bytes, one character
  EXPECT_EQ(line[2 * buffer - 1], U'あ');
  ASSERT_TRUE(reader.readLine(line));
  EXPECT_EQ(line, U"z");
  EXPECT_TRUE(reader.atEnd());
}

TEST(LineReaderTest, ReportsAReadFailure) {
  TempDir dir;
  WriteFile(dir.file("in"), "abc\r\ndef\r\n");
  test::FakeFiles files;
  files.faults = {{test::Op::Read, "in", 1, 4, EIO}};
  LineReader reader(files.openRead(dir.file("in")).file, CodePage::CP932);
  std::string line;
  ASSERT_FALSE(reader.atEnd());
  ASSERT_TRUE(reader.readRaw(line));  // "abc\r" arrived before the failure
  EXPECT_EQ(line, "abc");
  EXPECT_FALSE(reader.atEnd());  // a failure is not the end of the file
  EXPECT_FALSE(reader.readRaw(line));
  EXPECT_FALSE(reader.error().ok());
}

TEST(LineWriterTest, EndsEveryLineWithCrLfAndEncodes) {
  TempDir dir;
  test::FakeFiles files;
  {
    LineWriter writer(files.openWrite(dir.file("out")).file, CodePage::CP932);
    EXPECT_TRUE(writer.writeLine(U"あa"));
    EXPECT_TRUE(writer.writeLine(U""));
    EXPECT_TRUE(writer.writeRawLine("\xff"));
    EXPECT_TRUE(writer.close());
  }
  EXPECT_EQ(ReadFile(dir.file("out")),
            "\x82\xa0"
            "a\r\n\r\n\xff\r\n");
}

TEST(LineWriterTest, AFailureAtCloseIsAWriteFailure) {
  TempDir dir;
  test::FakeFiles files;
  files.faults = {{test::Op::Close, "out", 1, -1, ENOSPC}};
  LineWriter writer(files.openWrite(dir.file("out")).file, CodePage::CP932);
  EXPECT_TRUE(writer.writeLine(U"abc"));  // buffered: nothing fails yet
  EXPECT_FALSE(writer.close());
  EXPECT_EQ(writer.error().code, ENOSPC);
}

TEST(LineWriterTest, AFailureWhileFlushingSurfacesAtALaterWrite) {
  TempDir dir;
  test::FakeFiles files;
  files.faults = {{test::Op::Write, "out", 1, 10, ENOSPC}};
  LineWriter writer(files.openWrite(dir.file("out")).file, CodePage::CP932, 64);
  std::u32string big(32, U'a');
  bool failed = false;
  for (int i = 0; i < 8 && !failed; ++i) failed = !writer.writeLine(big);
  EXPECT_TRUE(failed);
  EXPECT_FALSE(writer.close());
}

}  // namespace
}  // namespace kadrel
