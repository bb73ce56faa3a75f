// A line of a file as a preview shows it: UTF-8, whatever the file's code page.
#pragma once

#include <string>
#include <string_view>

#include "text/code_page.h"

namespace kadrel {

// Which control characters are shown as escapes.
enum class Controls {
  AsTheyAre,  // only bytes that are not valid in the code page (a diff to apply)
  Visible,    // also every control character but TAB (a terminal, a window)
};

// bytes (a line without its line end) in UTF-8: each character of the code page
// as it is, each byte that is not valid in it as \xNN; with Controls::Visible
// every control character but TAB as \xNN too (C1 controls as \u0080 to \u009F),
// so that a file's bytes never drive the terminal that shows them.
std::string ShownLine(std::string_view bytes, CodePage codePage, Controls controls);
// The same, appended to out.
void AppendShownLine(std::string_view bytes, CodePage codePage, Controls controls,
                     std::string& out);

// The line end of a line split after its LF: "\r\n", "\n", or "" for a last
// line without one.
std::string_view LineEndOf(std::string_view line);

}  // namespace kadrel
