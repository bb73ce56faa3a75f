#include "cli/commands.h"
#include "combo/step_description.h"
#include "combo/step_line.h"
#include "combo/step_validation.h"

namespace kadrel::cli {

int DescribeCommand(const Request& request, const RunOptions& options, CliHost& host,
                    std::FILE* out) {
  StepRecord step = SplitStepLine(request.stepLine);
  if (ValidateStep(host, step, request.stepLine, TextCheckCodePage(options.codePage)) !=
      StepCheck::Valid)
    return kExitNothingRun;
  const std::string line = DescribeStep(step) + "\n";
  std::fwrite(line.data(), 1, line.size(), out);
  return kExitClean;  // a valid step showed no box
}

}  // namespace kadrel::cli
