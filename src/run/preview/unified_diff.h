// A file's change as a unified diff, the form diff -u writes and patch reads.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "run/preview/preview_run.h"
#include "run/preview/shown_line.h"

namespace kadrel {

// "--- PATH" and "+++ PATH" (a result file the run would write: "--- /dev/null").
std::string UnifiedDiffHeader(const ChangedFile& file);

// "@@ -OLD +NEW @@": the lines a hunk shows on each side, as diff -u numbers them.
std::string HunkHeader(const Hunk& hunk);

// How a terminal shows a diff: plain, or in the colours of git diff (removed lines
// red, added green, hunk headers cyan), each line's colour ended before its line end.
enum class DiffColors { None, Terminal };

// Appends a hunk's header line.
void AppendHunkHeader(const Hunk& hunk, DiffColors colors, std::string& out);
// Appends a line of a hunk (kind ' ', '-' or '+'; line with its line end) in
// UTF-8 (ShownLine) with the line end it has; "\ No newline at end of file"
// after a line without one (the last of its text).
void AppendHunkLine(char kind, std::string_view line, CodePage codePage, Controls controls,
                    DiffColors colors, std::string& out);

// A path as a header names it: as it is, or in double quotes with C escapes when
// it holds a blank, a double quote, a backslash or a control byte.
std::string DiffPath(std::string_view path);

}  // namespace kadrel
