#include "text/code_page_guess.h"

#include <gtest/gtest.h>

#include <string>

namespace kadrel {
namespace {

// 日本語です in each code page, and what a guess should make of byte samples.
const std::string kUtf8Text = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xA7\xE3\x81\x99";
const std::string kCp932Text = "\x93\xFA\x96\x7B\x8C\xEA\x82\xC5\x82\xB7";
const std::string kEucText = "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xC7\xA4\xB9";

struct GuessRow {
  const char* what;
  std::string bytes;
  bool complete;
  std::string expected;  // DescribeGuess of the guess
};

TEST(CodePageGuessTest, TellsTheCodePageFromByteSamples) {
  const GuessRow rows[] = {
      {"empty file", "", true, "ASCII"},
      {"ASCII only", "abc\r\nxyz\r\n", true, "ASCII"},
      {"UTF-8 BOM and nothing else above 0x7F",
       "\xEF\xBB\xBF"
       "abc\r\n",
       true, "UTF-8 (BOM)"},
      {"UTF-8 BOM before CP932 bytes", "\xEF\xBB\xBF" + kCp932Text, true, "UTF-8 (BOM)"},
      {"UTF-8", "a " + kUtf8Text + "\r\n", true, "UTF-8"},
      {"CP932", "a " + kCp932Text + "\r\n", true, "CP932"},
      {"EUC-JP", "a " + kEucText + "\r\n", true, "EUC-JP"},
      // ﾃﾞｰﾀ in CP932 reads as two everyday kanji in EUC-JP.
      {"short CP932 half-width kana, also valid EUC-JP", "\xC3\xDE\xB0\xC0", true, "CP932"},
      // です in EUC-JP reads as four half-width kana in CP932.
      {"short EUC-JP hiragana, also valid CP932", "\xA4\xC7\xA4\xB9", true, "EUC-JP"},
      // データ in EUC-JP.
      {"short EUC-JP katakana, also valid CP932", "\xA5\xC7\xA1\xBC\xA5\xBF", true, "EUC-JP"},
      // 電話 in EUC-JP reads as four half-width kana in CP932.
      {"short EUC-JP everyday kanji, also valid CP932", "\xC5\xC5\xCF\xC3", true, "EUC-JP"},
      {"CP932 with a stray byte", kCp932Text + "\xFD" + kCp932Text, true, "CP932"},
      {"EUC-JP with a stray byte", kEucText + "\x80" + kEucText, true, "EUC-JP"},
      {"UTF-8 with a stray byte", kUtf8Text + "\xFF" + kUtf8Text + kUtf8Text, true, "UTF-8"},
      {"UTF-8 cut inside a character", "x" + kUtf8Text + "\r\n" + kUtf8Text.substr(0, 4), false,
       "UTF-8"},
      {"UTF-16 LE",
       std::string("\xFF\xFE"
                   "a\0b\0",
                   6),
       true, "UTF-16LE"},
      {"UTF-16 BE", std::string("\xFE\xFF\0a\0b", 6), true, "UTF-16BE"},
  };
  for (const GuessRow& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(DescribeGuess(GuessCodePage(row.bytes, row.complete)), row.expected);
  }
}

TEST(CodePageGuessTest, AsciiAndBomKeepTheirCodePageForWriting) {
  const CodePageGuess ascii = GuessCodePage("plain\r\n", true);
  EXPECT_TRUE(ascii.asciiOnly);
  EXPECT_EQ(ascii.codePage, CodePage::UTF8);  // new characters go in as UTF-8
  const CodePageGuess bom = GuessCodePage("\xEF\xBB\xBF", true);
  EXPECT_TRUE(bom.bom);
  EXPECT_EQ(bom.codePage, CodePage::UTF8);
}

}  // namespace
}  // namespace kadrel
