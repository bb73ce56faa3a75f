// A text file's content as the engines read it. What reading a text file means
// lives here alone: its encoding (the code page option, or with "auto" a guess
// from its first bytes), its byte order mark (under every code page that can
// hold one: dropped before the first line, so that no step sees it; the file
// keeps it), UTF-16 read as UTF-8, whether it is text at all, and whether its
// first line ends in a bare LF. The file is read once: what was read to decide
// all that comes first in content().
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "io/file_encoding.h"
#include "io/file_layer.h"

namespace kadrel {

struct TextSourceOptions {
  // Reads stop with ECANCELED once this is set (none: never).
  const std::atomic<bool>* cancel = nullptr;
  // Opens the same content again from its start. With it, a first line too long
  // to hold is scanned and content() opens the file again; without it (a stream)
  // the first line is held however long.
  std::function<Opened<InputFile>()> reopen;
  // A byte order mark means its encoding whatever the code page: UTF-8, or
  // UTF-16 little- or big-endian (files of the program's own, such as COMBO!!
  // files, which a user may save with a mark in any editor).
  bool markRules = false;
};

class TextSource {
 public:
  using Options = TextSourceOptions;

  // raw in the encoding the setting gives; with "auto" its beginning is read and
  // the guess made. A failure to open or read shows in status().
  static TextSource Open(Opened<InputFile> raw, const CodePageSetting& setting,
                         Options options = {});
  // raw in a known encoding (a step's output, read by the next step).
  static TextSource Open(Opened<InputFile> raw, const FileEncoding& encoding, Options options = {});

  TextSource(TextSource&&) = default;
  TextSource& operator=(TextSource&&) = default;

  bool ok() const { return status_.ok(); }
  const FileStatus& status() const { return status_; }
  const FileEncoding& encoding() const { return encoding_; }
  // With "auto" (or a byte order mark that decides): what the first bytes showed.
  const std::optional<CodePageGuess>& guess() const { return guess_; }
  // A NUL byte among the first kBinaryProbeBytes (with "auto", of a file without a
  // UTF-16 mark): not text, which no rewriting step may write.
  bool binary() const { return binary_; }

  // Reads on to the end of the first line (its CR, or the end of the content),
  // as the engines will see it. BareLf: an LF comes before that end. Failed: a
  // read failed (status() tells; ECANCELED after a cancel).
  enum class FirstLine { Ends, BareLf, Failed };
  FirstLine firstLine();

  // The content from its first character, as the line reader takes it. Once.
  Opened<InputFile> content();

 private:
  TextSource() = default;
  std::unique_ptr<InputFile> decode(std::unique_ptr<InputFile> raw) const;
  void fail(const FileStatus& status);

  FileStatus status_;
  FileEncoding encoding_;
  std::optional<CodePageGuess> guess_;
  bool binary_ = false;
  Options options_;
  std::unique_ptr<InputFile> decoded_;  // the content after what head_ holds
  std::string head_;                    // the content read ahead, decoded
  bool checked_ = false;
  FirstLine firstLine_ = FirstLine::Ends;
  bool reopenForContent_ = false;  // head_ was let go: content() starts anew
};

}  // namespace kadrel
