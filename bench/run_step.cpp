// Runs one step over files through RunAll, for the benchmarks:
//   kadrel_run_step [--keep-backup] [--code-page NAME] STEP_LINE FILE...
// STEP_LINE holds the step's fields separated by commas ("1", "5,1,1,1,0,1").
// Boxes go to standard error; the exit status is 1 when any box was shown.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/host.h"
#include "core/run_context.h"
#include "core/run_driver.h"

namespace {

class StderrHost : public kadrel::Host {
 public:
  kadrel::BoxAnswer showMessage(const kadrel::MessageBoxRequest& request) override {
    std::fprintf(stderr, "[%s] %s\n", request.title.empty() ? "Kadrel" : request.title.c_str(),
                 request.text.c_str());
    ++boxes;
    return request.defaultAnswer;
  }
  void yield() override {}
  void setProgress(const kadrel::RunProgress&) override {}
  void selectTarget(int) override {}
  std::string multiLineReplacement() override { return ""; }

  int boxes = 0;
};

kadrel::StepRecord SplitFields(const std::string& line) {
  kadrel::StepRecord step;
  size_t from = 0;
  for (;;) {
    size_t comma = line.find(',', from);
    step.add(line.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
    if (comma == std::string::npos) return step;
    from = comma + 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  StderrHost host;
  kadrel::RunContext ctx(host, kadrel::SystemFileLayer());
  ctx.options.BkupEdit = 0;
  int i = 1;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    if (std::strcmp(argv[i], "--keep-backup") == 0) {
      ctx.options.BkupEdit = 1;
    } else if (std::strcmp(argv[i], "--code-page") == 0 && i + 1 < argc) {
      auto cp = kadrel::ParseCodePage(argv[++i]);
      if (!cp) return std::fprintf(stderr, "unknown code page %s\n", argv[i]), 2;
      ctx.options.codePage = *cp;
    } else {
      return std::fprintf(stderr, "unknown option %s\n", argv[i]), 2;
    }
  }
  if (argc - i < 2) {
    std::fprintf(stderr, "usage: %s [--keep-backup] [--code-page NAME] STEP_LINE FILE...\n",
                 argv[0]);
    return 2;
  }
  ctx.StepArr = SplitFields(argv[i++]);
  for (; i < argc; ++i) ctx.targets.push_back(argv[i]);
  kadrel::RunAll(ctx);
  return host.boxes == 0 ? 0 : 1;
}
