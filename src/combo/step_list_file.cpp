#include "combo/step_list_file.h"

#include <memory>

#include "combo/step_line_intake.h"
#include "core/line_io.h"
#include "core/text/utf.h"

namespace kadrel {

FileStatus ReadStepListFile(Host& host, FileLayer& files, CodePage codePage,
                            const std::string& path, ComboModel& model) {
  FileStatus status;
  std::unique_ptr<InputFile> file = files.openReadBounded(path, kComboFileMaxBytes, status);
  if (!file) return status;

  model.text.clear();
  model.steps.clear();
  LineReader reader(std::move(file), codePage);
  const IntakeRules rules{.limitSteps = false, .commentNeedsText = false};
  ReadStepLines(reader, [&](const std::string& line) {
    return TakeStepLine(host, line, model, rules, codePage) == IntakeResult::Next;
  });
  return {};
}

FileStatus WriteStepListFile(FileLayer& files, CodePage codePage, const std::string& path,
                             const std::vector<std::string>& steps) {
  if (steps.empty()) {
    if (!files.exists(path)) return {};
    return files.removeFile(path);
  }
  FileStatus status;
  std::unique_ptr<OutputFile> file = files.openWrite(path, /*append=*/false, status);
  if (!file) return status;
  LineWriter writer(std::move(file), codePage);
  bool ok = true;
  for (const std::string& line : steps) {
    if (!writer.writeLine(Utf8ToU32(line))) {
      ok = false;
      break;
    }
  }
  if (!writer.close()) ok = false;
  if (ok) return {};
  status = writer.error();
  files.removeFile(path);
  return status;
}

}  // namespace kadrel
