// The few ways a whole stream is used at once: read into memory, copied, hashed;
// bytes in memory read as a file; reads that stop at a cancel. Every loop over a
// stream's reads is here.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

#include "io/content_hash.h"
#include "io/file_layer.h"

namespace kadrel {

// Reads the rest of in into bytes (sizeHint: about how many there are). False
// on a read failure (in.lastError() tells which).
bool ReadAll(InputFile& in, std::string& bytes, size_t sizeHint = 0);
// The same for a file that may have failed to open (false then).
bool ReadAll(Opened<InputFile> in, std::string& bytes, size_t sizeHint = 0);

// Copies the rest of in to out, then closes out. On a failure, the side that
// failed tells why (its lastError()).
enum class CopyResult { Copied, ReadFailed, WriteFailed };
CopyResult CopyAll(InputFile& in, OutputFile& out);

// Whether the rest of a and the rest of b are the same bytes. Failed: a read
// of either failed (its lastError() tells why).
enum class Comparison { Same, Different, Failed };
Comparison CompareAll(InputFile& a, InputFile& b);

// Adds the rest of in to hash. False when in did not open or a read failed.
bool HashAll(Opened<InputFile> in, ContentHash& hash);

// in, whose reads fail with ECANCELED once cancel is set: a cancel is heard
// within one read however long a line is.
std::unique_ptr<InputFile> Cancellable(std::unique_ptr<InputFile> in,
                                       const std::atomic<bool>& cancel);

// Bytes held in memory, read from their start.
std::unique_ptr<InputFile> MemoryInput(std::shared_ptr<const std::string> bytes);
std::unique_ptr<InputFile> MemoryInput(std::string bytes);

}  // namespace kadrel
