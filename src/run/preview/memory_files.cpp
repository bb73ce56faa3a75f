#include "run/preview/memory_files.h"

#include <tuple>

#include "io/streams.h"
#include "io/utf16_files.h"

namespace kadrel {

std::string TextOfBytes(std::string bytes, const FileEncoding& encoding) {
  if (!encoding.utf16) return bytes;
  std::unique_ptr<InputFile> in = Utf16AsUtf8(MemoryInput(std::move(bytes)), encoding.bigEndian);
  std::string text;
  std::ignore = ReadAll(*in, text);  // memory does not fail
  return text;
}

}  // namespace kadrel
