#include "io/utf16_files.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fake_files.h"
#include "support/temp_dir.h"

namespace kadrel {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Reads a UTF-16 file as UTF-8 in small pieces, and writes that back as UTF-16.
std::string AsUtf8(const std::string& path, bool bigEndian) {
  auto in = Utf16AsUtf8(SystemFileLayer().openRead(path).file, bigEndian);
  std::string text;
  char buffer[3];
  for (long n; (n = in->read(buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<size_t>(n));
  return text;
}

void WriteUtf16(const std::string& path, const std::string& utf8, bool bigEndian) {
  test::FakeFiles files;
  auto out = Utf8AsUtf16(files.openWrite(path).file, bigEndian);
  for (char c : utf8) ASSERT_TRUE(out->write(&c, 1));  // sequences cut at every byte
  ASSERT_TRUE(out->close());
}

TEST(Utf16FilesTest, ReadAsUtf8AndWrittenBackToTheVeryBytes) {
  struct Row {
    const char* what;
    std::string utf16;
    bool bigEndian;
    std::string utf8;
  } rows[] = {
      {"mark and text, LE",
       std::string("\xFF\xFE"
                   "a\0\xE5\x65\r\0\n\0",
                   10),
       false,
       "\xEF\xBB\xBF"
       "a日\r\n"},
      {"mark and text, BE", std::string("\xFE\xFF\0a\x65\xE5", 6), true,
       "\xEF\xBB\xBF"
       "a日"},
      {"a pair of surrogates", std::string("\x3D\xD8\x00\xDE", 4), false, "\xF0\x9F\x98\x80"},
      {"a high surrogate alone",
       std::string("\x3D\xD8"
                   "a\0",
                   4),
       false,
       "\xED\xA0\xBD"
       "a"},
      {"a low surrogate alone", std::string("\x00\xDE", 2), false, "\xED\xB8\x80"},
      {"a high surrogate at the end", std::string("a\0\x3D\xD8", 4), false, "a\xED\xA0\xBD"},
      {"an odd last byte", std::string("a\0\x0D", 3), false, "a\xF8\xFB\xF9"},
  };
  TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    WriteFile(dir.file("in"), row.utf16);
    EXPECT_EQ(AsUtf8(dir.file("in"), row.bigEndian), row.utf8);
    WriteUtf16(dir.file("out"), row.utf8, row.bigEndian);
    EXPECT_EQ(ReadFile(dir.file("out")), row.utf16);
  }
}

}  // namespace
}  // namespace kadrel
