// A named operation (kadrel-cli replace FROM TO PATH...) turned into what the run
// takes: the values of the window's mode page for its mode, or the COMBO!! files,
// and the PATHs. Its own options and arguments are checked here; the step itself
// is checked by the run, as the window's START checks it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/option_table.h"
#include "run/step_from_page.h"

namespace kadrel::cli {

struct OperationInput {
  Operation operation = Operation::None;
  const std::vector<OptionUse>* options =
      nullptr;                        // every option given; the operation's own are read
  std::vector<std::string> operands;  // after the operation's name
  // Operands before "--": the operation's arguments, when "--" follows at least one.
  std::optional<size_t> operandsBeforeSeparator;
};

struct OperationOutcome {
  std::string error;                    // a usage error, or empty
  PageValues page;                      // every operation but combo
  std::vector<std::string> comboFiles;  // combo
  std::vector<std::string> paths;
};

OperationOutcome BuildOperation(const OperationInput& input);

}  // namespace kadrel::cli
