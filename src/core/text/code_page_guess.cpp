#include "core/text/code_page_guess.h"

#include <algorithm>
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

struct Reading {
  size_t invalid = 0;  // bytes carried as escapes
  long score = 0;      // how much the reading looks like Japanese text
};

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

Reading Read(CodePage cp, std::string_view bytes, bool withScore) {
  Reading r;
  for (char32_t c : CodecFor(cp).decode(bytes)) {
    if (IsByteEscape(c)) {
      ++r.invalid;
    } else if (withScore && c >= 0x80) {
      r.score += CommonWeight(c);
    }
  }
  return r;
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
  if (!complete) {
    // A multi-byte character never holds a byte below 0x80 except as the second
    // byte of a CP932 pair, which ends it: cutting after the last such byte cuts
    // no character in any of the code pages.
    size_t end = bytes.size();
    while (end > 0 && static_cast<unsigned char>(bytes[end - 1]) >= 0x80) --end;
    if (CountNonAscii(bytes.substr(0, end)) > 0) bytes = bytes.substr(0, end);
  }
  const Reading utf8 = Read(CodePage::UTF8, bytes, false);
  if (utf8.invalid == 0) return guess;

  const Reading cp932 = Read(CodePage::CP932, bytes, false);
  const Reading euc = Read(CodePage::EUCJP, bytes, false);
  const size_t fewest = std::min({utf8.invalid, cp932.invalid, euc.invalid});
  if (cp932.invalid == fewest && euc.invalid == fewest) {
    const bool eucLikelier =
        Read(CodePage::EUCJP, bytes, true).score > Read(CodePage::CP932, bytes, true).score;
    guess.codePage = eucLikelier ? CodePage::EUCJP : CodePage::CP932;
  } else if (cp932.invalid == fewest) {
    guess.codePage = CodePage::CP932;
  } else if (euc.invalid == fewest) {
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
