// The text a preview compares of a file's bytes.
#pragma once

#include <memory>
#include <string>

#include "io/file_encoding.h"
#include "io/file_layer.h"

namespace kadrel {

// The text a preview compares of a file's bytes: a UTF-16 file's as UTF-8 (as
// the run reads it), any other file's as they are.
std::string TextOfBytes(std::string bytes, const FileEncoding& encoding);

}  // namespace kadrel
