// Telling the code page of a file from its bytes (the code page option "auto"),
// and telling a binary file from a text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/code_page.h"

namespace kadrel {

struct CodePageGuess {
  CodePage codePage = CodePage::UTF8;  // what the file is read and written in: the likeliest
  bool bom = false;                    // it starts with the UTF-8 byte order mark
  bool asciiOnly = false;              // no byte above 0x7F: every code page reads it alike
  bool utf16 = false;                  // UTF-16 by its byte order mark (bom set too),
  bool bigEndian = false;              // big-endian; read as UTF-8 (see utf16_files.h)
  // A NUL byte among the first kBinaryProbeBytes, and no UTF-16 mark: not text.
  bool binary = false;
  // Set when another code page reads the bytes too and the evidence does not
  // settle between them: the guess is then only the likelier of the two, and
  // nothing may be written on it.
  std::optional<CodePage> rival;
  bool undecided() const { return rival.has_value(); }
};

// The code page that bytes show, bytes being a file's beginning (or all of it when
// complete):
// - the UTF-8 byte order mark means UTF-8 (bom: readers drop the mark, writers
//   keep it);
// - a UTF-16 byte order mark means UTF-16, little- or big-endian;
// - no byte above 0x7F: ASCII, read as UTF-8;
// - otherwise the reading of UTF-8, CP932 or EUC-JP that costs least as text
//   (text_likelihood.h), UTF-8 a little favoured. It is settled when every
//   other reading costs clearly more even with every doubt about that reading
//   resolved in its favour; otherwise the nearest one is its rival.
// When not complete, a character cut at the end of bytes counts as valid. Only
// the beginning of bytes that holds kGuessEnoughNonAscii bytes above 0x7F is read.
CodePageGuess GuessCodePage(std::string_view bytes, bool complete);

// A file whose beginning holds a NUL byte is taken for binary: no text in
// CP932, EUC-JP or UTF-8 holds one, while every image, archive and program
// does (and UTF-16 without its mark, which no line model reads right).
inline constexpr size_t kBinaryProbeBytes = 64 * 1024;
bool HoldsNulByte(std::string_view bytes);  // in its first kBinaryProbeBytes

// How much of a file the guess reads: chunks of kGuessChunk bytes until it has
// seen kGuessEnoughNonAscii bytes above 0x7F (in a text that has them, the
// first few kilobytes decide), or kGuessMaxBytes, or the end of the file. The
// first chunk holds all that the binary test reads.
inline constexpr size_t kGuessChunk = kBinaryProbeBytes;
inline constexpr size_t kGuessEnoughNonAscii = 4096;
inline constexpr size_t kGuessMaxBytes = 1024 * 1024;
bool GuessHasEnough(std::string_view bytes);

// The guess as the progress display names it: "CP932", "EUC-JP", "UTF-8",
// "UTF-8 (BOM)", "UTF-16LE", "UTF-16BE" or "ASCII".
std::string DescribeGuess(const CodePageGuess& guess);

}  // namespace kadrel
