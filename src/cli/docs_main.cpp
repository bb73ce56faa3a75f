// kadrel-cli-docs: writes kadrel-cli's manual page or bash completion from its
// option table, at build time.
//   kadrel-cli-docs man TEMPLATE OUTPUT
//   kadrel-cli-docs bash-completion OUTPUT
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "cli/docs_generator.h"

int main(int argc, char* argv[]) {
  const std::string what = argc > 1 ? argv[1] : "";
  std::string text;
  std::string output;
  if (what == "man" && argc == 4) {
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
      std::cerr << "kadrel-cli-docs: cannot read " << argv[2] << "\n";
      return 1;
    }
    text = kadrel::cli::ManualPage(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    output = argv[3];
  } else if (what == "bash-completion" && argc == 3) {
    text = kadrel::cli::BashCompletion();
    output = argv[2];
  } else {
    std::cerr << "usage: kadrel-cli-docs man TEMPLATE OUTPUT | bash-completion OUTPUT\n";
    return 2;
  }
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::cerr << "kadrel-cli-docs: cannot write " << output << "\n";
    return 1;
  }
  return 0;
}
