#include "io/text_source.h"

#include <gtest/gtest.h>

#include <string>

#include "io/streams.h"

namespace kadrel {
namespace {

// The content as the engines get it, and how many times the file was opened.
struct Read {
  TextSource::FirstLine firstLine;
  std::string content;
  int opens = 1;
};

Read ReadThrough(const std::string& bytes, const CodePageSetting& setting, bool reopenable) {
  Read read;
  TextSource::Options options;
  if (reopenable) {
    options.reopen = [&] {
      ++read.opens;
      return Opened<InputFile>{MemoryInput(bytes), {}};
    };
  }
  TextSource source = TextSource::Open({MemoryInput(bytes), {}}, setting, std::move(options));
  read.firstLine = source.firstLine();
  Opened<InputFile> content = source.content();
  EXPECT_TRUE(content && ReadAll(*content.file, read.content));
  return read;
}

TEST(TextSourceTest, FirstLineAndContentAsTheEnginesSeeThem) {
  using FirstLine = TextSource::FirstLine;
  const std::string longLine(200 * 1024, 'x');
  struct Row {
    const char* what;
    std::string bytes;
    CodePageSetting setting;
    bool reopenable;
    FirstLine firstLine;
    std::string content;
    int opens;
  } rows[] = {
      {"empty", "", CodePage::CP932, true, FirstLine::Ends, "", 1},
      {"CR LF", "a\r\nb\nc", CodePage::CP932, true, FirstLine::Ends, "a\r\nb\nc", 1},
      {"no line end", "abc", CodePage::UTF8, true, FirstLine::Ends, "abc", 1},
      {"bare LF first", "a\nb\r\n", CodePage::UTF8, true, FirstLine::BareLf, "a\nb\r\n", 1},
      {"mark dropped", "\xEF\xBB\xBFx\ny", CodePageSetting::Auto(), true, FirstLine::BareLf, "x\ny",
       1},
      {"UTF-16 as UTF-8", std::string("\xFF\xFEh\0\n\0", 6), CodePageSetting::Auto(), false,
       FirstLine::BareLf, "h\n", 1},
      // A first line past what is held: scanned, then the file is read anew.
      {"long first line", longLine + "\nend", CodePage::CP932, true, FirstLine::BareLf,
       longLine + "\nend", 2},
      {"long first line, a stream", longLine + "\r\nend", CodePage::CP932, false, FirstLine::Ends,
       longLine + "\r\nend", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const Read read = ReadThrough(row.bytes, row.setting, row.reopenable);
    EXPECT_EQ(read.firstLine, row.firstLine);
    EXPECT_EQ(read.content, row.content);
    EXPECT_EQ(read.opens, row.opens);
  }
}

TEST(TextSourceTest, ACancelStopsTheReading) {
  std::atomic<bool> cancel{true};
  TextSource::Options options;
  options.cancel = &cancel;
  TextSource source =
      TextSource::Open({MemoryInput(std::string("a\r\n")), {}}, CodePage::CP932, options);
  EXPECT_EQ(source.firstLine(), TextSource::FirstLine::Failed);
  EXPECT_EQ(source.status().code, ECANCELED);
}

}  // namespace
}  // namespace kadrel
