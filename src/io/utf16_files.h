// UTF-16 files (what Windows editors save as "Unicode") as the line reader and
// writer see them: UTF-8. Every UTF-16 file converts to UTF-8 and back to its very
// bytes: a surrogate without its pair travels as its three-byte UTF-8 form, and
// an odd last byte as three bytes F8..FF that no UTF-8 text holds. The byte order
// mark converts too (EF BB BF), so readers drop it and writers write it as they do
// for UTF-8.
#pragma once

#include <memory>

#include "io/file_layer.h"

namespace kadrel {

std::unique_ptr<InputFile> Utf16AsUtf8(std::unique_ptr<InputFile> in, bool bigEndian);
std::unique_ptr<OutputFile> Utf8AsUtf16(std::unique_ptr<OutputFile> out, bool bigEndian);

}  // namespace kadrel
