#include "text/text_likelihood.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/ubrk.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kadrel {

namespace {

bool IsAscii(char c) {
  return static_cast<unsigned char>(c) < 0x80;
}

// What a character is, as far as its likelihood in text goes.
enum class Kind : uint8_t {
  Ascii,
  Invalid,  // a byte the code page cannot read
  Hiragana,
  Katakana,       // full-width, with the prolonged sound mark
  HalfWidth,      // half-width katakana and their punctuation
  CommonPunct,    // 、。「」・ and the like, the ideographic space
  OtherPunct,     // the rest of the CJK symbols, full-width letters and digits
  EverydayKanji,  // the kanji of the first school years
  Kanji1,         // JIS X 0208 level 1
  Kanji2,         // JIS X 0208 level 2
  OtherKanji,     // beyond JIS X 0208 (extensions, JIS X 0212)
  JisSymbol,      // other symbols of JIS X 0208 and its extensions: ※ → ① Ⅱ ㈱ ─
  LatinLetter,    // Latin-1 and Latin Extended-A letters: é ü ř
  CommonSign,     // © ® ° ± × ·
  LatinSign,      // the other signs of Latin-1: ¾ ¿ ¤
  RareLetter,     // Latin Extended-B, IPA, modifier letters, combining marks
  Script,         // Greek, Cyrillic, Hebrew, Arabic ...
  Control,        // C1 controls
  PrivateUse,     // user-defined codes
  Other,
};

// How many bits a character of each kind costs where nothing around it tells
// more: about -log2 of how often a character above ASCII in the text of a
// Japanese desk is that one character (its kind's share over the kind's
// number of characters). A reading in the wrong code page is made of costly
// characters.
constexpr double CostOf(Kind kind) {
  switch (kind) {
    case Kind::Ascii:
      return 0;
    case Kind::Hiragana:
      return 7.5;
    case Kind::Katakana:
      return 9;
    case Kind::HalfWidth:
      return 6.5;  // within a run; see HalfWidthCost
    case Kind::CommonPunct:
      return 7;
    case Kind::OtherPunct:
      return 11;
    case Kind::EverydayKanji:
      return 11.5;
    case Kind::Kanji1:
      return 14;
    case Kind::Kanji2:
      return 17;
    case Kind::OtherKanji:
      return 23;
    case Kind::JisSymbol:
      return 13;
    case Kind::LatinLetter:
      return 10;
    case Kind::CommonSign:
      return 8;
    case Kind::LatinSign:
      return 14;
    case Kind::Script:
      return 15;
    case Kind::Other:
      return 16;
    case Kind::RareLetter:
      return 20;
    case Kind::PrivateUse:
      return 20;
    case Kind::Control:
      return 24;
    case Kind::Invalid:
      return 30;
  }
  return 16;
}

// Evidence from what stands around a character, in bits.
// A kanji in a dictionary word: a pair of kanji that makes a word is far
// likelier than two kanji met at random.
constexpr double kWordBonus = 4;
// A Latin letter beyond ASCII in a word with ASCII letters (Möller, café) is
// likely; one in a word of such letters alone or beside a sign (ñĴ, ¾ü: the
// UTF-8 readings of EUC-JP kanji) is not. A letter of another script is likely
// in a word of its own script: after the first, one of a small alphabet.
constexpr double kInWord = 5;
constexpr double kAlone = 5;
constexpr double kInScriptWord = 6;
// A kanji alone among ASCII is rare in Japanese text (and the bytes of © or °
// read as EUC-JP give one).
constexpr double kLoneKanji = 3;
// Half-width katakana: starting a run of them, and one breaking the rules of kana.
constexpr double kHalfWidthEntry = 6;
constexpr double kHalfWidthBroken = 18;
constexpr double kSoundMark = 2;             // a sound mark after a kana that takes it
constexpr double kHalfWidthPunctuation = 4;  // ｡｢｣､･, beside a kana
// EUC-JP texts seldom hold half-width katakana (SS2 codes).
constexpr double kHalfWidthInEuc = 5;

// The kanji taught in the first two school years: the most frequent ones.
constexpr std::u32string_view kEverydayKanji =
    U"一右雨円王音下火花貝学気九休玉金空月犬見五口校左三山子四糸字耳七車手十出女小上森人水正"
    U"生青夕石赤千川先早草足村大男竹中虫町天田土二日入年白八百文木本名目立力林六"
    U"引羽雲園遠何科夏家歌画回会海絵外角楽活間丸岩顔汽記帰弓牛魚京強教近兄形計元言原戸古午後"
    U"語工公広交光考行高黄合谷国黒今才細作算止市矢姉思紙寺自時室社弱首秋週春書少場色食心新親"
    U"図数西声星晴切雪船線前組走多太体台地池知茶昼長鳥朝直通弟店点電刀冬当東答頭同道読内南肉"
    U"馬売買麦半番父風分聞米歩母方北毎妹万明鳴毛門夜野友用曜来里理話";

constexpr std::u32string_view kCommonPunct = U"\u3000、。「」『』・〜（）：！？，．";
constexpr std::u32string_view kCommonSigns = U"©®°±×·";

bool IsIdeograph(char32_t c) {
  return c >= 0x4E00 && c < 0xA000;
}

bool IsHalfWidth(char32_t c) {
  return c >= 0xFF61 && c <= 0xFF9F;
}

bool IsAsciiLetter(char32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The kind of every character, the tables built once from the EUC-JP codec.
class Kinds {
 public:
  Kinds() : ideographs_(0xA000 - 0x4E00, Kind::OtherKanji) {
    const TextCodec& euc = CodecFor(CodePage::EUCJP);
    std::string code(2, '\0');
    for (int row = 0xA1; row <= 0xFE; ++row) {
      for (int cell = 0xA1; cell <= 0xFE; ++cell) {
        code[0] = static_cast<char>(row);
        code[1] = static_cast<char>(cell);
        const std::u32string c = euc.decode(code);
        if (c.size() != 1 || IsByteEscape(c[0])) continue;
        if (IsIdeograph(c[0])) {
          ideographs_[c[0] - 0x4E00] = row < 0xB0   ? Kind::OtherKanji
                                       : row < 0xD0 ? Kind::Kanji1
                                                    : Kind::Kanji2;
        } else if (row <= 0xA2 || row == 0xA8 || row == 0xAD) {  // signs, box drawing, NEC row 13
          jisSymbols_.push_back(c[0]);
        }
      }
    }
    for (char32_t c : kEverydayKanji) ideographs_[c - 0x4E00] = Kind::EverydayKanji;
    std::sort(jisSymbols_.begin(), jisSymbols_.end());
  }

  Kind of(char32_t c) const {
    if (c < 0x80) return Kind::Ascii;
    if (IsByteEscape(c)) return Kind::Invalid;
    if (IsIdeograph(c)) return ideographs_[c - 0x4E00];
    if (c >= 0x3041 && c <= 0x3096) return Kind::Hiragana;
    if ((c >= 0x30A1 && c <= 0x30FA) || c == 0x30FC) return Kind::Katakana;
    if (kCommonPunct.find(c) != std::u32string_view::npos) return Kind::CommonPunct;
    if (IsHalfWidth(c)) return Kind::HalfWidth;
    if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0xFF01 && c <= 0xFF5E)) return Kind::OtherPunct;
    if (c < 0xA0) return Kind::Control;
    if (kCommonSigns.find(c) != std::u32string_view::npos) return Kind::CommonSign;
    if (c < 0xC0 || c == 0xF7) return Kind::LatinSign;
    if (c < 0x180) return Kind::LatinLetter;
    if (c >= 0xE000 && c <= 0xF8FF) return Kind::PrivateUse;
    if (std::binary_search(jisSymbols_.begin(), jisSymbols_.end(), c)) return Kind::JisSymbol;
    if (c < 0x370) return Kind::RareLetter;  // Latin Extended-B, IPA, combining marks
    if (c < 0x800) return Kind::Script;
    if ((c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c < 0x30000)) return Kind::OtherKanji;
    if (c >= 0x30000) return Kind::Control;  // planes of no text in use
    return Kind::Other;
  }

 private:
  std::vector<Kind> ideographs_;
  std::vector<char32_t> jisSymbols_;
};

const Kinds& CharacterKinds() {
  static const Kinds kinds;
  return kinds;
}

bool IsCjk(Kind kind) {
  switch (kind) {
    case Kind::Hiragana:
    case Kind::Katakana:
    case Kind::EverydayKanji:
    case Kind::Kanji1:
    case Kind::Kanji2:
    case Kind::OtherKanji:
      return true;
    default:
      return false;
  }
}

// What a half-width character costs where it stands. Half-width katakana
// words follow the rules of kana: a sound mark follows a kana that takes it,
// small kana, the prolonged sound mark and ﾝ follow a kana, punctuation
// (seldom met) follows a kana. The half-width reading of bytes of another code
// page breaks these rules often: the EUC-JP codes of hiragana and katakana all
// start with bytes that CP932 reads as ､ and ･.
bool IsHalfWidthKana(char32_t c) {
  return c >= 0xFF66 && c <= 0xFF9F;
}

double HalfWidthCost(char32_t c, char32_t before, char32_t after) {
  const auto isKana = IsHalfWidthKana;
  const double kana = CostOf(Kind::HalfWidth);
  const double punctuation = kana + kHalfWidthPunctuation;
  const bool afterKana = isKana(before);
  if (c == 0xFF9E) {  // ﾞ after ｳ, ｶ..ﾄ, ﾊ..ﾎ
    const bool takes = before == 0xFF73 || (before >= 0xFF76 && before <= 0xFF84) ||
                       (before >= 0xFF8A && before <= 0xFF8E);
    return takes ? kSoundMark : kHalfWidthBroken;
  }
  if (c == 0xFF9F) {  // ﾟ after ﾊ..ﾎ
    return before >= 0xFF8A && before <= 0xFF8E ? kSoundMark : kHalfWidthBroken;
  }
  if (c == 0xFF65) return afterKana && isKana(after) ? punctuation : kHalfWidthBroken;  // ･ joins
  if (c == 0xFF61 || c == 0xFF63 || c == 0xFF64) return afterKana ? punctuation : kHalfWidthBroken;
  if (c == 0xFF62) return punctuation;  // ｢
  if ((c >= 0xFF67 && c <= 0xFF70) || c == 0xFF9D) return afterKana ? kana : kHalfWidthBroken;
  return IsHalfWidth(before) ? kana : kana + kHalfWidthEntry;
}

// Kanji of a run that ICU's dictionary of Japanese and Chinese words puts in
// words of two or more characters.
class WordFinder {
 public:
  WordFinder() {
    UErrorCode status = U_ZERO_ERROR;
    iterator_.reset(icu::BreakIterator::createWordInstance(icu::Locale::getJapanese(), status));
    if (U_FAILURE(status)) iterator_.reset();
  }

  size_t countKanjiInWords(std::u32string_view run) {
    if (!iterator_) return 0;
    text_.remove();
    for (char32_t c : run) text_.append(static_cast<UChar32>(c));
    iterator_->setText(text_);
    size_t count = 0, startChar = 0;
    int32_t start = iterator_->first();
    for (int32_t end = iterator_->next(); end != icu::BreakIterator::DONE;
         start = end, end = iterator_->next()) {
      const size_t length = static_cast<size_t>(text_.countChar32(start, end - start));
      const int32_t status = iterator_->getRuleStatus();
      if (length >= 2 && status >= UBRK_WORD_IDEO && status < UBRK_WORD_IDEO_LIMIT) {
        const std::u32string_view word = run.substr(startChar, length);
        count += static_cast<size_t>(std::count_if(word.begin(), word.end(), IsIdeograph));
      }
      startChar += length;
    }
    return count;
  }

 private:
  std::unique_ptr<icu::BreakIterator> iterator_;
  icu::UnicodeString text_;
};

// The kanji of the runs of kana and kanji in text that make words: all that
// could (words null), or those that do.
size_t KanjiInWords(std::u32string_view text, const Kinds& kinds, WordFinder* words) {
  size_t count = 0;
  size_t runStart = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && IsCjk(kinds.of(text[i]))) continue;
    const std::u32string_view run = text.substr(runStart, i - runStart);
    const size_t kanji = static_cast<size_t>(std::count_if(run.begin(), run.end(), IsIdeograph));
    if (run.size() >= 2 && kanji > 0) count += words ? words->countKanjiInWords(run) : kanji;
    runStart = i + 1;
  }
  return count;
}

bool IsLetter(char32_t c, Kind kind) {
  return IsAsciiLetter(c) || kind == Kind::LatinLetter || kind == Kind::Script;
}

// For each character of text that is a letter: whether the word of letters it
// stands in holds an ASCII letter, and whether it holds another letter beyond
// ASCII of its kind (for other scripts, of its block of 256 code points:
// Greek, Cyrillic ...).
struct WordShape {
  std::vector<bool> withAscii, withKin;
};

WordShape WordShapes(std::u32string_view text, const Kinds& kinds) {
  WordShape shape{std::vector<bool>(text.size()), std::vector<bool>(text.size())};
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && IsLetter(text[end], kinds.of(text[end]))) ++end;
    const std::u32string_view word = text.substr(start, end - start);
    const bool ascii = std::any_of(word.begin(), word.end(), IsAsciiLetter);
    const auto kin = [&](char32_t a, char32_t b) {
      const Kind kind = kinds.of(a);
      return kind == kinds.of(b) && (kind == Kind::LatinLetter || (a >> 8) == (b >> 8));
    };
    for (size_t k = start; k < end; ++k) {
      shape.withAscii[k] = ascii;
      // Words are short: looking at each pair costs nothing.
      for (size_t m = start; m < end && m - start < 32 && !shape.withKin[k]; ++m)
        shape.withKin[k] = m != k && text[k] >= 0x80 && kin(text[k], text[m]);
    }
    start = std::max(end, start + 1);
  }
  return shape;
}

// Vowels that make words of one letter: è (Italian), é (Portuguese), à ...
constexpr std::u32string_view kOneLetterWords = U"àáèéìíòóùú";

// The cost of text, one stretch of the reading of bytes in cp with an ASCII
// character around it where there is one.
ReadingCost StretchCost(CodePage cp, std::u32string_view text, WordFinder* words) {
  const Kinds& kinds = CharacterKinds();
  ReadingCost total;
  const double wordBits = kWordBonus * static_cast<double>(KanjiInWords(text, kinds, words));
  if (words) {
    total.bits = -wordBits;
  } else {
    total.wordRoom = wordBits;
  }
  const WordShape shape = WordShapes(text, kinds);
  bool scriptSeen = false;
  size_t halfWidthRun = 0;
  bool runBroken = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    const Kind kind = kinds.of(c);
    const char32_t before = i > 0 ? text[i - 1] : U' ';
    const char32_t after = i + 1 < text.size() ? text[i + 1] : U' ';
    double cost = CostOf(kind);
    switch (kind) {
      case Kind::HalfWidth:
        cost = HalfWidthCost(c, before, after);
        runBroken = runBroken || cost == kHalfWidthBroken;
        if (cp == CodePage::EUCJP) cost += kHalfWidthInEuc;
        break;
      case Kind::LatinLetter:
        // Café, Möller: in a word with ASCII letters. A word of such letters
        // alone (ñĴ: the UTF-8 reading of EUC-JP kanji) is rare; so is one beside a
        // sign (¾ü). One alone among ASCII is a word of its own (è).
        if (shape.withAscii[i]) {
          cost -= kInWord;
        } else if (shape.withKin[i] || (before >= 0x80 && !IsLetter(before, kinds.of(before))) ||
                   (after >= 0x80 && !IsLetter(after, kinds.of(after))) ||
                   (!IsLetter(before, kinds.of(before)) && !IsLetter(after, kinds.of(after)) &&
                    kOneLetterWords.find(c) == std::u32string_view::npos)) {
          cost += kAlone;
        }
        break;
      case Kind::CommonSign:
      case Kind::LatinSign:
        // Signs stand apart from letters beyond ASCII (¾ü is not text).
        if ((before >= 0x80 && IsLetter(before, kinds.of(before))) ||
            (after >= 0x80 && IsLetter(after, kinds.of(after))))
          cost += kAlone;
        break;
      case Kind::Script:
        // Greek, Cyrillic ...: after the first, a letter in a word of its own
        // script is one of a small alphabet.
        if (!shape.withKin[i] || shape.withAscii[i]) {
          cost += kAlone;
        } else if (scriptSeen) {
          cost = kInScriptWord;
        }
        scriptSeen = true;
        break;
      default:
        if (IsIdeograph(c)) {
          if (IsAsciiLetter(before) && IsAsciiLetter(after)) {
            cost += 2 * kLoneKanji;
          } else if (before < 0x80 && after < 0x80) {
            cost += kLoneKanji;
          }
        }
        break;
    }
    total.bits += cost;
    total.invalid += kind == Kind::Invalid;
    if (IsHalfWidthKana(c)) {
      ++halfWidthRun;
    } else {
      halfWidthRun = 0;
      runBroken = false;
    }
    const bool runEnds = halfWidthRun > 0 && !IsHalfWidthKana(after);
    if (runEnds && halfWidthRun >= 2 && !runBroken)
      total.doubt += kWordBonus / 2 * static_cast<double>(halfWidthRun);
  }
  return total;
}

// The cost of reading bytes in cp, summed over the stretches that hold bytes
// above 0x7F. A stretch ends before two ASCII bytes in a row: a character
// never holds a byte below 0x80 except as the second byte of a CP932 pair,
// which ends it, so the stretches read alone read as the whole does.
ReadingCost Read(CodePage cp, std::string_view bytes, WordFinder* words) {
  ReadingCost cost;
  const TextCodec& codec = CodecFor(cp);
  std::u32string text;
  size_t i = 0;
  while (i < bytes.size()) {
    while (i < bytes.size() && IsAscii(bytes[i])) ++i;
    if (i == bytes.size()) break;
    const size_t start = i > 0 ? i - 1 : i;  // one ASCII byte before, for context
    while (i < bytes.size() &&
           !(IsAscii(bytes[i]) && i + 1 < bytes.size() && IsAscii(bytes[i + 1])))
      ++i;
    const size_t end = std::min(i + 1, bytes.size());
    text.clear();
    codec.decode(bytes.substr(start, end - start), text);
    cost += StretchCost(cp, text, words);
    i = end;
  }
  return cost;
}

}  // namespace

ReadingCost& ReadingCost::operator+=(const ReadingCost& other) {
  bits += other.bits;
  doubt += other.doubt;
  wordRoom += other.wordRoom;
  invalid += other.invalid;
  return *this;
}

ReadingCost CostOfReading(CodePage cp, std::string_view bytes, bool askDictionary) {
  if (!askDictionary) return Read(cp, bytes, nullptr);
  thread_local WordFinder words;
  return Read(cp, bytes, &words);
}

}  // namespace kadrel
