// The code page guess of each file named on the command line, one line each:
//   PATH: GUESS            a guess that settles it ("CP932", "UTF-8 (BOM)", "ASCII" ...)
//   PATH: GUESS ?RIVAL     an undecided one, the likelier code page first
//   PATH: BINARY GUESS     a file taken for binary
// It reads each file as a run does: as many chunks as the guess needs.
// Run by bench/guess_compare.sh.
#include <cstdio>
#include <fstream>
#include <string>

#include "text/code_page_guess.h"

namespace {

std::string Guess(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "(unreadable)";
  std::string head;
  bool complete = false;
  while (!complete && !kadrel::GuessHasEnough(head)) {
    const size_t used = head.size();
    head.resize(used + kadrel::kGuessChunk);
    in.read(head.data() + used, static_cast<std::streamsize>(kadrel::kGuessChunk));
    head.resize(used + static_cast<size_t>(in.gcount()));
    complete = in.gcount() == 0 || in.eof();
  }
  const kadrel::CodePageGuess guess = kadrel::GuessCodePage(head, complete);
  std::string shown = kadrel::DescribeGuess(guess);
  if (guess.rival) shown += std::string(" ?") + kadrel::CodePageName(*guess.rival);
  if (guess.binary) shown = "BINARY " + shown;
  return shown;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) std::printf("%s: %s\n", argv[i], Guess(argv[i]).c_str());
  return 0;
}
