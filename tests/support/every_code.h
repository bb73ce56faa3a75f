// Every code of a code page, and ICU's reading of it: the ground truth of the
// sweeps over whole code pages.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "text/code_page.h"

namespace kadrel::test {

struct CodeReading {
  std::string code;  // the bytes
  char32_t text;     // the one character ICU reads them as
};

// Every code of the code page that ICU reads as one character: CP932 lead and
// trail byte pairs, EUC-JP two- and three-byte codes, the UTF-8 form of every
// scalar value beyond ASCII.
std::vector<CodeReading> EveryCode(CodePage cp);

}  // namespace kadrel::test
