#include "cli/terminal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace kadrel::cli {

namespace {

bool IsPipe(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
}

}  // namespace

bool ShowsProgress(const Request& request) {
  const bool streams = request.paths.size() == 1 && request.paths.front() == "-";
  return !request.quiet && !streams && ::isatty(STDERR_FILENO) == 1 && !IsPipe(STDOUT_FILENO);
}

DiffColors DiffColorsFor(ColorWhen when) {
  switch (when) {
    case ColorWhen::Always:
      return DiffColors::Terminal;
    case ColorWhen::Never:
      return DiffColors::None;
    case ColorWhen::Auto:
      break;
  }
  const char* noColor = std::getenv("NO_COLOR");
  const char* term = std::getenv("TERM");
  const bool wanted = (noColor == nullptr || *noColor == '\0') &&
                      (term == nullptr || std::strcmp(term, "dumb") != 0);
  return wanted && StandardOutputIsTerminal() ? DiffColors::Terminal : DiffColors::None;
}

bool StandardOutputIsTerminal() {
  return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace kadrel::cli
