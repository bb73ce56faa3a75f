// Code pages of text files and their lossless codecs.
//
// Decoding never fails: every code of the code page becomes its one character,
// and a byte that does not start a code becomes the escape code point
// U+DC00 + byte, which encoding writes back as that byte.
//
// A few characters have more than one code: CP932 reads both ED40 (an
// NEC-selected IBM extension) and FA5C (its IBM extension twin) as U+7E8A, and
// writes FA5C for it. A decode can note such forms in ByteForms; an encode given
// them writes each noted character in its noted form, and writes an unchanged
// text as the very bytes it came from. So Encode(Decode(bytes)) == bytes for
// every input. (The engines keep a changed line's bytes otherwise: they write
// the stretches they keep as read, see decodePart's offsets and advance.)
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kadrel {

enum class CodePage { CP932, UTF8, EUCJP };

// "CP932", "UTF-8", "EUC-JP" (letter case and the hyphen ignored); nothing otherwise.
std::optional<CodePage> ParseCodePage(std::string_view name);
const char* CodePageName(CodePage cp);  // "CP932", "UTF-8", "EUC-JP"

inline constexpr char32_t kEscapeBase = 0xDC00;  // escapes are U+DC80..U+DCFF
inline bool IsByteEscape(char32_t c) {
  return c >= 0xDC80 && c <= 0xDCFF;
}

// The characters of one decoded text that came from a code other than the one
// the encoder writes for them, with those codes, and the text with its bytes.
// Nothing is stored for a text without such characters (almost every line).
class ByteForms {
 public:
  bool empty() const { return forms_.empty(); }
  void clear() { forms_.clear(); }

  // A code as (length << 24) | bytes, big end first; 0 for none.
  void note(char32_t c, uint32_t code);  // the first code noted for c stays
  uint32_t find(char32_t c) const;

  // The decoded text and the bytes it came from, kept when a form was noted.
  void keepSource(std::string_view bytes, std::u32string_view text);
  bool isSource(std::u32string_view text) const { return text == sourceText_; }
  const std::string& sourceBytes() const { return sourceBytes_; }

 private:
  std::vector<std::pair<char32_t, uint32_t>> forms_;
  std::string sourceBytes_;
  std::u32string sourceText_;
};

class TextCodec {
 public:
  virtual ~TextCodec() = default;

  // Appends the code points of bytes to out. With forms, forms describes these
  // bytes afterwards (emptied first).
  void decode(std::string_view bytes, std::u32string& out, ByteForms* forms = nullptr) const;
  // Appends the bytes of text to out: with forms of a decode, the text it decoded
  // as its very bytes, and noted characters in their noted codes. A character
  // the code page cannot hold becomes "?" (step texts are checked before they
  // get here, see canEncode).
  void encode(std::u32string_view text, std::string& out, const ByteForms* forms = nullptr) const;

  std::u32string decode(std::string_view bytes) const {
    std::u32string s;
    decode(bytes, s);
    return s;
  }
  std::string encode(std::u32string_view text) const {
    std::string s;
    encode(text, s);
    return s;
  }

  // A text that comes in parts (a line in pieces): appends the characters of
  // bytes that these bytes decide whatever follows them (all of them when final)
  // and returns the bytes they take; the rest starts the next part. Parts decoded
  // so, in order, give the characters decode() gives for their bytes at once.
  // With offsets, appends there the offset in bytes where each character starts.
  size_t decodePart(std::string_view bytes, std::u32string& out, bool final,
                    std::vector<uint32_t>* offsets = nullptr) const;

  // The offset reached from `from`, where a character of bytes starts, after
  // count characters read as decode() reads them (bytes.size() when fewer follow).
  virtual size_t advance(std::string_view bytes, size_t from, size_t count) const = 0;

  // True when the encoder can write c (byte escapes included).
  virtual bool canEncode(char32_t c) const = 0;

  // Every code that decodes as c: the one the encoder writes and any other form
  // (an escape: its byte). None for a character the code page does not hold.
  virtual std::vector<std::string> codesOf(char32_t c) const = 0;

  // The most bytes a code takes.
  virtual size_t maxCodeLength() const = 0;

  // The last offset at or before `at` where a character of bytes begins, as
  // decode() reads them from `known` on (an offset where one begins, at most at).
  // Mostly only the bytes just before `at` are read: a byte that begins, or ends, a
  // character wherever it stands settles where characters begin; the characters
  // from there on are walked over. The bytes after `at` that decide its character
  // must be in bytes (maxCodeLength() - 1 of them), or bytes end the text.
  size_t charStartAtOrBefore(std::string_view bytes, size_t at, size_t known = 0) const;

 protected:
  // The bytes that begin a character wherever they stand, and those that end one,
  // as bit sets of 256 (for charStartAtOrBefore).
  void setBoundaryBytes(const uint64_t (&starts)[4], const uint64_t (&ends)[4]);

  virtual void decodeAppend(std::string_view bytes, std::u32string& out,
                            ByteForms* forms) const = 0;
  // Appends the characters that begin before limit (reading on to the end of bytes
  // where a code needs it), and with offsets where each begins; returns where the
  // last of them ends.
  virtual size_t decodeUpTo(std::string_view bytes, size_t limit, std::u32string& out,
                            std::vector<uint32_t>* offsets) const = 0;
  // forms is null or holds at least one form.
  virtual void encodeAppend(std::u32string_view text, std::string& out,
                            const ByteForms* forms) const = 0;

 private:
  static bool InSet(const uint64_t (&set)[4], unsigned char b) {
    return (set[b >> 6] >> (b & 63)) & 1;
  }
  uint64_t startsChar_[4] = {};
  uint64_t endsChar_[4] = {};
};

// The shared codec of a code page (made on first use from tables the build made,
// thread-safe).
const TextCodec& CodecFor(CodePage cp);

}  // namespace kadrel
