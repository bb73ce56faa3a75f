// How one file is read and written: its code page, and whether it starts with a
// UTF-8 byte order mark. With the code page option "auto" it comes from the
// file's own first bytes; the readers and writers of the file's run are built
// with it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "io/file_layer.h"
#include "text/code_page.h"
#include "text/code_page_guess.h"
#include "text/code_page_setting.h"

namespace kadrel {

struct FileEncoding {
  CodePage codePage = CodePage::CP932;
  // The file starts with a byte order mark: readers drop it before the first
  // line, a writer of the whole file writes it first, so no step sees it as a
  // character of the first line and the file keeps it.
  bool bom = false;
  // A UTF-16 file (with its mark), read and written as UTF-8 (codePage).
  bool utf16 = false;
  bool bigEndian = false;
  bool operator==(const FileEncoding&) const = default;
};

inline FileEncoding EncodingOf(const CodePageGuess& guess) {
  return FileEncoding{guess.codePage, guess.bom, guess.utf16, guess.bigEndian};
}

// in as the reader of a file in encoding must see it: UTF-16 as UTF-8, without
// the byte order mark.
std::unique_ptr<InputFile> DecodedInput(std::unique_ptr<InputFile> in,
                                        const FileEncoding& encoding);
// out as the writer of a file in encoding must write to it (UTF-8 as UTF-16).
std::unique_ptr<OutputFile> EncodedOutput(std::unique_ptr<OutputFile> out,
                                          const FileEncoding& encoding);

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Reads the beginning of in into head, as much as the guess needs, and guesses
// from it. False on a read failure (in->lastError() tells which).
bool GuessFromInput(InputFile& in, std::string& head, CodePageGuess& guess);

// in as a reader sees it when the bytes of head, read from it already, come first.
std::unique_ptr<InputFile> PrefixedInput(std::string head, std::unique_ptr<InputFile> in);

// in without the UTF-8 byte order mark at its start (when there is one).
std::unique_ptr<InputFile> WithoutByteOrderMark(std::unique_ptr<InputFile> in);

}  // namespace kadrel
