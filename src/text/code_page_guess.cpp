#include "text/code_page_guess.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace kadrel {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

size_t CountNonAscii(std::string_view bytes) {
  return static_cast<size_t>(std::count_if(
      bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
}

// The kanji taught in the first two school years: the most frequent ones.
constexpr std::u32string_view kEverydayKanji =
    U"一右雨円王音下火花貝学気九休玉金空月犬見五口校左三山子四糸字耳七車手十出女小上森人水正"
    U"生青夕石赤千川先早草足村大男竹中虫町天田土二日入年白八百文木本名目立力林六"
    U"引羽雲園遠何科夏家歌画回会海絵外角楽活間丸岩顔汽記帰弓牛魚京強教近兄形計元言原戸古午後"
    U"語工公広交光考行高黄合谷国黒今才細作算止市矢姉思紙寺自時室社弱首秋週春書少場色食心新親"
    U"図数西声星晴切雪船線前組走多太体台地池知茶昼長鳥朝直通弟店点電刀冬当東答頭同道読内南肉"
    U"馬売買麦半番父風分聞米歩母方北毎妹万明鳴毛門夜野友用曜来里理話";

bool IsEverydayKanji(char32_t c) {
  static const std::u32string sorted = [] {
    std::u32string s(kEverydayKanji);
    std::sort(s.begin(), s.end());
    return s;
  }();
  return std::binary_search(sorted.begin(), sorted.end(), c);
}

// JIS X 0208 level 1 kanji (the common ones) are the EUC-JP codes B0A1..CFD3.
bool IsLevel1Kanji(char32_t c) {
  const std::string euc = CodecFor(CodePage::EUCJP).encode(std::u32string_view(&c, 1));
  return euc.size() == 2 && static_cast<unsigned char>(euc[0]) >= 0xB0 &&
         static_cast<unsigned char>(euc[0]) <= 0xCF;
}

// Weights of a character by how often Japanese text holds it. A misreading of the
// other code page yields half-width katakana, uncommon kanji or codes of no
// character.
int CommonWeight(char32_t c) {
  if (c >= 0x3041 && c <= 0x3096) return 4;                   // hiragana
  if ((c >= 0x30A1 && c <= 0x30FA) || c == 0x30FC) return 3;  // katakana, prolonged sound mark
  if ((c >= 0x3000 && c <= 0x303F) || (c >= 0xFF01 && c <= 0xFF5E)) return 2;  // punctuation
  if (c >= 0x4E00 && c <= 0x9FFF) return IsEverydayKanji(c) ? 3 : IsLevel1Kanji(c) ? 2 : 1;
  if (c >= 0xFF61 && c <= 0xFF9F) return 1;  // half-width katakana
  return 0;
}

// How much the reading of bytes in cp looks like Japanese text.
long Score(CodePage cp, std::string_view bytes) {
  long score = 0;
  for (char32_t c : CodecFor(cp).decode(bytes)) {
    if (c >= 0x80 && !IsByteEscape(c)) score += CommonWeight(c);
  }
  return score;
}

// The bytes that cp cannot read in bytes, counted in slices that end after a
// byte below 0x80 (where no character is cut) until the count passes limit: a
// result above limit means "more than limit".
size_t CountInvalid(CodePage cp, std::string_view bytes, size_t limit) {
  constexpr size_t kSlice = 8 * 1024;
  const TextCodec& codec = CodecFor(cp);
  std::u32string text;
  size_t invalid = 0;
  while (!bytes.empty() && invalid <= limit) {
    size_t end = std::min(kSlice, bytes.size());
    while (end < bytes.size() && static_cast<unsigned char>(bytes[end - 1]) >= 0x80) ++end;
    text.clear();
    codec.decode(bytes.substr(0, end), text);
    invalid += static_cast<size_t>(std::count_if(text.begin(), text.end(), IsByteEscape));
    bytes.remove_prefix(end);
  }
  return invalid;
}

}  // namespace

CodePageGuess GuessCodePage(std::string_view bytes, bool complete) {
  CodePageGuess guess;
  if (StartsWith(bytes, kUtf8Bom)) {
    guess.bom = true;
    return guess;
  }
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    guess.utf16 = guess.bom = true;
    guess.bigEndian = bytes[0] == '\xFE';
    return guess;
  }
  if (CountNonAscii(bytes) == 0) {
    guess.asciiOnly = true;
    return guess;
  }
  // What the guess needs is a few kilobytes of the other bytes: the rest of what
  // was read is left out.
  size_t seen = 0, enough = 0;
  while (enough < bytes.size() && seen < kGuessEnoughNonAscii)
    seen += static_cast<unsigned char>(bytes[enough++]) >= 0x80;
  if (enough < bytes.size()) {
    bytes = bytes.substr(0, enough);
    complete = false;
  }
  if (!complete) {
    // A multi-byte character never holds a byte below 0x80 except as the second
    // byte of a CP932 pair, which ends it: cutting after the last such byte cuts
    // no character in any of the code pages.
    size_t end = bytes.size();
    while (end > 0 && static_cast<unsigned char>(bytes[end - 1]) >= 0x80) --end;
    if (CountNonAscii(bytes.substr(0, end)) > 0) bytes = bytes.substr(0, end);
  }
  if (CountInvalid(CodePage::UTF8, bytes, 0) == 0) return guess;

  // Counts stop early where they can no longer be the fewest.
  const size_t cp932 = CountInvalid(CodePage::CP932, bytes, SIZE_MAX);
  const size_t euc = CountInvalid(CodePage::EUCJP, bytes, cp932);
  const size_t utf8 = CountInvalid(CodePage::UTF8, bytes, std::min(cp932, euc));
  const size_t fewest = std::min({utf8, cp932, euc});
  if (cp932 == fewest && euc == fewest) {
    const bool eucLikelier = Score(CodePage::EUCJP, bytes) > Score(CodePage::CP932, bytes);
    guess.codePage = eucLikelier ? CodePage::EUCJP : CodePage::CP932;
  } else if (cp932 == fewest) {
    guess.codePage = CodePage::CP932;
  } else if (euc == fewest) {
    guess.codePage = CodePage::EUCJP;
  }  // else UTF-8 with a few stray bytes
  return guess;
}

bool GuessHasEnough(std::string_view bytes) {
  return bytes.size() >= kGuessMaxBytes || CountNonAscii(bytes) >= kGuessEnoughNonAscii;
}

std::string DescribeGuess(const CodePageGuess& guess) {
  if (guess.asciiOnly) return "ASCII";
  if (guess.utf16) return guess.bigEndian ? "UTF-16BE" : "UTF-16LE";
  std::string name = CodePageName(guess.codePage);
  if (guess.bom) name += " (BOM)";
  return name;
}

}  // namespace kadrel
