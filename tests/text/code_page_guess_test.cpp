#include "text/code_page_guess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "text/utf.h"

namespace kadrel {
namespace {

// 日本語です in each code page, and what a guess should make of byte samples.
const std::string kUtf8Text = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xA7\xE3\x81\x99";
const std::string kCp932Text = "\x93\xFA\x96\x7B\x8C\xEA\x82\xC5\x82\xB7";
const std::string kEucText = "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xC7\xA4\xB9";

std::string Encoded(const char* utf8, CodePage cp) {
  return CodecFor(cp).encode(Utf8ToU32(utf8));
}

struct GuessRow {
  const char* what;
  std::string bytes;
  bool complete;
  std::string expected;  // DescribeGuess of the guess, which settles it
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
      // です in EUC-JP reads as four half-width kana in CP932, against the rules of kana.
      {"short EUC-JP hiragana, also valid CP932", "\xA4\xC7\xA4\xB9", true, "EUC-JP"},
      {"short EUC-JP katakana, also valid CP932", Encoded("データ", CodePage::EUCJP), true,
       "EUC-JP"},
      {"CP932 with a stray byte", kCp932Text + "\xFD" + kCp932Text, true, "CP932"},
      {"EUC-JP with a stray byte", kEucText + "\x80" + kEucText, true, "EUC-JP"},
      {"UTF-8 with a stray byte", kUtf8Text + "\xFF" + kUtf8Text + kUtf8Text, true, "UTF-8"},
      {"UTF-8 cut inside a character", "x" + kUtf8Text + "\r\n" + kUtf8Text.substr(0, 4), false,
       "UTF-8"},
      // Letters beyond ASCII in UTF-8 are also valid EUC-JP kanji or CP932 kana.
      {"UTF-8 name with a Latin letter", "2018 Rapha\xC3\xABl Hertzog\n", true, "UTF-8"},
      {"UTF-8 copyright sign", "Copyright \xC2\xA9 2008 Shankar Prasad\n", true, "UTF-8"},
      {"UTF-8 Cyrillic",
       "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80\n", true,
       "UTF-8"},
      {"UTF-8 Greek", "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC\n", true,
       "UTF-8"},
      {"CP932 log line", Encoded("2024-05-16 ERROR 認証に失敗しました\r\n", CodePage::CP932), true,
       "CP932"},
      {"EUC-JP log line", Encoded("2024-05-16 ERROR 認証に失敗しました\n", CodePage::EUCJP), true,
       "EUC-JP"},
      {"UTF-16 LE",
       std::string("\xFF\xFE"
                   "a\0b\0",
                   6),
       true, "UTF-16LE"},
      {"UTF-16 BE", std::string("\xFE\xFF\0a\0b", 6), true, "UTF-16BE"},
  };
  for (const GuessRow& row : rows) {
    SCOPED_TRACE(row.what);
    const CodePageGuess guess = GuessCodePage(row.bytes, row.complete);
    EXPECT_EQ(DescribeGuess(guess), row.expected);
    EXPECT_FALSE(guess.undecided());
  }
}

// Short texts that two code pages read: the guess settles on the right one or
// leaves it undecided, never settles on the wrong one.
TEST(CodePageGuessTest, ShortTextsAreRightOrUndecided) {
  const struct {
    const char* text;
    CodePage cp;
  } rows[] = {
      // Two-kanji words: in EUC-JP each reads as two half-width katakana in CP932.
      {"変更", CodePage::EUCJP},
      {"表示", CodePage::EUCJP},
      {"認証", CodePage::EUCJP},
      {"圧縮", CodePage::EUCJP},
      {"保存", CodePage::EUCJP},
      {"完了", CodePage::EUCJP},
      {"行目", CodePage::EUCJP},
      {"変更", CodePage::CP932},
      {"実軸", CodePage::CP932},  // read as EUC-JP: two half-width katakana ﾀｲ
      {"蟲達", CodePage::CP932},  // read as UTF-8: one kanji and "B"
      // EUC-JP kanji that are valid UTF-8 too (ưŪ, ñĴ, ¾ü).
      {"動的", CodePage::EUCJP},
      {"単調", CodePage::EUCJP},
      {"他端", CodePage::EUCJP},
      // One log line.
      {"ERROR 認証失敗", CodePage::EUCJP},
      {"ERROR 認証失敗", CodePage::CP932},
      {"2024-05-05 04:52:04 WARN [worker-4] 軸 (code=172)", CodePage::EUCJP},
      {"2024-05-05 04:52:04 WARN [worker-4] 軸 (code=172)", CodePage::CP932},
      {"    /* 年 */", CodePage::EUCJP},
      // Half-width katakana only.
      {"ﾃﾞｰﾀ", CodePage::CP932},
      {"ﾃﾞｰﾀ", CodePage::EUCJP},
      {"ﾏｲｸﾛ", CodePage::CP932},
      {"ﾏｲｸﾛ", CodePage::EUCJP},
      {"ﾒｲﾃｲ", CodePage::CP932},  // read as UTF-8: Ҳò
      {"ﾃｰ", CodePage::CP932},    // read as UTF-8: ð
      {"ｺｺ", CodePage::EUCJP},
      // One letter beyond ASCII: a word of its own, or a kanji, or two kana.
      {"dubbi è inteso", CodePage::UTF8},
      {"наб <nab@example.org>", CodePage::UTF8},
      {"ﾚｲﾘｱ", CodePage::CP932},  // read as UTF-8: two Arabic letters
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.text) + " in " + CodePageName(row.cp));
    const CodePageGuess guess = GuessCodePage(Encoded(row.text, row.cp), true);
    if (guess.undecided()) {
      EXPECT_TRUE(guess.codePage == row.cp || guess.rival == row.cp);
      EXPECT_NE(guess.codePage, guess.rival);
    } else {
      EXPECT_EQ(guess.codePage, row.cp);
    }
  }
}

TEST(CodePageGuessTest, BytesThatAreTwoRealTextsAreUndecided) {
  // ｾﾚｸﾀ in CP932 is 証言 in EUC-JP, byte for byte.
  const std::string bytes = Encoded("ｾﾚｸﾀ", CodePage::CP932);
  ASSERT_EQ(bytes, Encoded("証言", CodePage::EUCJP));
  const CodePageGuess guess = GuessCodePage(bytes, true);
  ASSERT_TRUE(guess.undecided());
  const std::optional<CodePage> pair[] = {guess.codePage, guess.rival};
  EXPECT_NE(std::find(std::begin(pair), std::end(pair), CodePage::CP932), std::end(pair));
  EXPECT_NE(std::find(std::begin(pair), std::end(pair), CodePage::EUCJP), std::end(pair));
}

TEST(CodePageGuessTest, ReadingsWithBytesTheyCannotReadAreNoRivals) {
  // No code page reads FF 80: whichever is taken, the bytes pass through as they are.
  EXPECT_FALSE(GuessCodePage("foo\r\n\xFF\x80 foo", true).undecided());
  // 本です in EUC-JP: its CP932 reading (ﾋﾜ､ﾇ､ｹ) is kana split by commas.
  EXPECT_FALSE(GuessCodePage(Encoded("本です", CodePage::EUCJP), true).undecided());
}

TEST(CodePageGuessTest, AsciiAndBomKeepTheirCodePageForWriting) {
  const CodePageGuess ascii = GuessCodePage("plain\r\n", true);
  EXPECT_TRUE(ascii.asciiOnly);
  EXPECT_EQ(ascii.codePage, CodePage::UTF8);  // new characters go in as UTF-8
  const CodePageGuess bom = GuessCodePage("\xEF\xBB\xBF", true);
  EXPECT_TRUE(bom.bom);
  EXPECT_EQ(bom.codePage, CodePage::UTF8);
}

TEST(CodePageGuessTest, ANulByteInTheFirstBytesMeansBinary) {
  const std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
  const std::string elf(
      "\x7F"
      "ELF\x02\x01\x01\0\0\0",
      10);
  const std::string lateNul = std::string(kBinaryProbeBytes, 'a') + '\0';
  const struct {
    const char* what;
    std::string bytes;
    bool binary;
  } rows[] = {
      {"PNG", png, true},
      {"ELF", elf, true},
      {"UTF-8 BOM then NUL",
       std::string("\xEF\xBB\xBF"
                   "a\0",
                   5),
       true},
      {"CP932 text then NUL", kCp932Text + std::string(1, '\0'), true},
      {"UTF-16 with its mark",
       std::string("\xFF\xFE"
                   "a\0",
                   4),
       false},
      {"UTF-16 big-endian with its mark", std::string("\xFE\xFF\0a", 4), false},
      {"UTF-16 without a mark", std::string("a\0b\0", 4), true},
      {"NUL beyond the bytes looked at", lateNul, false},
      {"text", "a " + kEucText + "\r\n", false},
      {"control characters other than NUL", "a\x01\x1B[1m\b\x7F\r\n", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(GuessCodePage(row.bytes, true).binary, row.binary);
    if (row.bytes.substr(0, 2) != "\xFF\xFE" && row.bytes.substr(0, 2) != "\xFE\xFF") {
      EXPECT_EQ(HoldsNulByte(row.bytes), row.binary);
    }
  }
}

}  // namespace
}  // namespace kadrel
