// Telling the code page of a file from its bytes (the code page option "auto").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/code_page.h"

namespace kadrel {

struct CodePageGuess {
  CodePage codePage = CodePage::UTF8;  // what the file is read and written in
  bool bom = false;                    // it starts with the UTF-8 byte order mark
  bool asciiOnly = false;              // no byte above 0x7F: every code page reads it alike
  bool utf16 = false;                  // UTF-16 by its byte order mark (bom set too),
  bool bigEndian = false;              // big-endian; read as UTF-8 (see utf16_files.h)
};

// The code page that bytes show, bytes being a file's beginning (or all of it when
// complete):
// - the UTF-8 byte order mark means UTF-8 (the mark stays part of the first line);
// - a UTF-16 byte order mark means UTF-16, little- or big-endian;
// - no byte above 0x7F: ASCII, read as UTF-8;
// - valid UTF-8 with other bytes means UTF-8;
// - otherwise the code page among CP932, EUC-JP and UTF-8 that reads the bytes
//   with the fewest invalid sequences; between CP932 and EUC-JP reading them
//   equally well, the one whose reading holds more of the characters common in
//   Japanese text (kana, punctuation, everyday kanji), and CP932 when that ties.
// When not complete, a character cut at the end of bytes counts as valid. Only
// the beginning of bytes that holds kGuessEnoughNonAscii bytes above 0x7F is read.
CodePageGuess GuessCodePage(std::string_view bytes, bool complete);

// How much of a file the guess reads: chunks of kGuessChunk bytes until it has
// seen kGuessEnoughNonAscii bytes above 0x7F (in a text that has them, the
// first few kilobytes decide), or kGuessMaxBytes, or the end of the file.
inline constexpr size_t kGuessChunk = 64 * 1024;
inline constexpr size_t kGuessEnoughNonAscii = 4096;
inline constexpr size_t kGuessMaxBytes = 1024 * 1024;
bool GuessHasEnough(std::string_view bytes);

// The guess as the progress display names it: "CP932", "EUC-JP", "UTF-8",
// "UTF-8 (BOM)", "UTF-16LE", "UTF-16BE" or "ASCII".
std::string DescribeGuess(const CodePageGuess& guess);

}  // namespace kadrel
