#include "cli/commands.h"
#include "combo/combo_loader.h"
#include "io/file_layer.h"

namespace kadrel::cli {

int ShowComboCommand(const Request& request, const RunOptions& options, CliHost& host,
                     std::FILE* out) {
  ComboModel model;
  LoadComboFiles(host, SystemFileLayer(), options.codePage, request.comboFiles, model);
  const std::string text = ToLineFeeds(model.text);
  std::fwrite(text.data(), 1, text.size(), out);
  // An emptied text (a loading failure) leaves nothing that would run.
  if (model.steps.empty() || model.text.empty()) return kExitNothingRun;
  return host.boxCount() > 0 ? kExitWithBoxes : kExitClean;
}

}  // namespace kadrel::cli
