#include "combo/step_list_file.h"

#include <memory>

#include "combo/step_line_intake.h"
#include "core/file_encoding.h"
#include "core/line_io.h"
#include "core/text/utf.h"

namespace kadrel {

bool ReadStepListFile(Host& host, FileLayer& files, const CodePageSetting& codePage,
                      const std::string& path, ComboModel& model) {
  FileStatus status;
  std::unique_ptr<InputFile> file = files.openRead(path, status);
  if (!file) return false;

  EncodedInput encoded = ReadEncoding(std::move(file), codePage);
  if (!encoded.file) return false;
  model.text.clear();
  model.steps.clear();
  LineReader reader(std::move(encoded.file), encoded.encoding.codePage);
  const IntakeRules rules{.limitSteps = false, .commentNeedsText = false};
  ReadStepLines(reader, [&](const std::string& line) {
    return TakeStepLine(host, line, model, rules, TextCheckCodePage(codePage)) ==
           IntakeResult::Next;
  });
  return true;
}

FileStatus WriteStepListFile(FileLayer& files, const CodePageSetting& codePage,
                             const std::string& path, const std::vector<std::string>& steps) {
  if (steps.empty()) {
    if (!files.exists(path)) return {};
    return files.removeFile(path);
  }
  FileStatus status;
  std::unique_ptr<OutputFile> file = files.openWrite(path, /*append=*/false, status);
  if (!file) return status;
  LineWriter writer(std::move(file), codePage.automatic ? CodePage::UTF8 : codePage.fixed);
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
