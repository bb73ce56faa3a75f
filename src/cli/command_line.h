// kadrel-cli's arguments split into options and operands by the option table, the
// way GNU getopt_long reads them (clustered short options, --name=value, unique
// prefixes of long names, options after operands, "--" ending the options), with
// every refusal naming the option as it was typed. Nothing here knows what an
// option means.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/option_table.h"

namespace kadrel::cli {

struct OptionUse {
  const OptionRow* row = nullptr;
  std::string value;  // empty for an option without a value
  std::string typed;  // as typed: "-c", "--comb", "-q" of "-qn"
};

struct Arguments {
  std::vector<OptionUse> options;  // in the order given
  std::vector<std::string> operands;
  // How many operands came before the first "--"; nothing when there was none.
  std::optional<size_t> operandsBeforeSeparator;
};

struct SplitOutcome {
  std::string error;  // empty when the arguments were read
  Arguments arguments;
};

// args: the arguments without the program's name.
SplitOutcome SplitArguments(const std::vector<std::string>& args);

// An option as a message names it: the typed text, and its full name when the
// user typed a prefix ("--dry（--dry-run）").
std::string NamedAsTyped(const OptionUse& use);

}  // namespace kadrel::cli
