#include "cli/commands.h"
#include "combo/step_description.h"
#include "combo/step_line.h"
#include "combo/step_validation.h"

namespace kadrel::cli {

int DescribeCommand(const Request& request, const RunOptions& options, CliHost& host,
                    std::FILE* out) {
  const CodePage codePage = TextCheckCodePage(options.codePage);
  StepRecord step;
  if (request.page) {  // a named operation: checked as the window checks its page
    BuiltStep built = BuildStepFromPage(host, *request.page, "", codePage, 0, 0);
    if (!built.ready) return kExitNothingRun;
    step = std::move(built.step);
  } else {
    step = SplitStepLine(request.stepLine);
    if (ValidateStep(host, step, request.stepLine, codePage) != StepCheck::Valid)
      return kExitNothingRun;
  }
  const std::string line = DescribeStep(step) + "\n";
  std::fwrite(line.data(), 1, line.size(), out);
  return kExitClean;  // a valid step showed no box
}

}  // namespace kadrel::cli
