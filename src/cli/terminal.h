// What kadrel-cli draws on a terminal: the progress line and the diff's colours.
#pragma once

#include "cli/cli_options.h"
#include "run/preview/unified_diff.h"

namespace kadrel::cli {

// The progress line goes to standard error when it is a terminal, unless -q is
// given, the run works on standard input and output (one text, nothing to count)
// or standard output is a pipe (its reader, a pager, may be drawing on that
// terminal). When standard output is the same terminal, the line is cleared
// before anything is written there.
bool ShowsProgress(const Request& request);

// --color: auto colours when standard output is a terminal, NO_COLOR is not set
// and TERM is not "dumb".
DiffColors DiffColorsFor(ColorWhen when);

// True when standard output is a terminal (control characters are then shown).
bool StandardOutputIsTerminal();

}  // namespace kadrel::cli
