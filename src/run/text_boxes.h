// The boxes of a target whose text a run cannot stand behind: a binary file, a
// code page the guess did not settle, a character the joint result file cannot
// hold. Each leaves the target (or its block of the joint result) as it was,
// or says what the run took for granted.
#pragma once

#include <string>

#include "core/host.h"
#include "text/code_page.h"

namespace kadrel {

// A rewriting step skips a binary file.
void ShowBinaryFileBox(Host& host, const std::string& path);
// A rewriting step that would change a file skips it: likely or rival, the
// file's code page is not known.
void ShowUndecidedSkipBox(Host& host, const std::string& path, CodePage likely, CodePage rival);
// An extraction read the file in its likelier code page.
void ShowUndecidedExtractionBox(Host& host, const std::string& path, CodePage likely,
                                CodePage rival);
// The joint result file, in jointCodePage, cannot hold c of the file at path: its
// block is left out.
void ShowJointUnwritableBox(Host& host, const std::string& path, CodePage jointCodePage,
                            char32_t c);

}  // namespace kadrel
