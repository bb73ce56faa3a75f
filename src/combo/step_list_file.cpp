#include "combo/step_list_file.h"

#include <memory>

#include "combo/step_line_intake.h"
#include "core/file_encoding.h"
#include "core/line_io.h"
#include "core/text/utf.h"

namespace kadrel {

FileStatus ReadStepListFile(Host& host, FileLayer& files, const CodePageSetting& codePage,
                            const std::string& path, ComboModel& model) {
  Opened<InputFile> file = files.openReadBounded(path, kComboFileMaxBytes);
  if (!file) return file.status;

  EncodedInput encoded = ReadEncoding(std::move(file.file), codePage);
  if (!encoded.file) return encoded.error;
  model.text.clear();
  model.steps.clear();
  LineReader reader(std::move(encoded.file), encoded.encoding.codePage);
  const IntakeRules rules{.limitSteps = false, .commentNeedsText = false};
  ReadStepLines(reader, [&](const std::string& line) {
    return TakeStepLine(host, line, model, rules, TextCheckCodePage(codePage)) ==
           IntakeResult::Next;
  });
  return {};
}

FileStatus WriteStepListFile(FileLayer& files, const CodePageSetting& codePage,
                             const std::string& path, const std::vector<std::string>& steps) {
  if (steps.empty()) {
    if (!files.exists(path)) return {};
    return files.removeFile(path);
  }
  // Written beside it and renamed over it once whole: a failed write leaves the
  // previous list, and a link at its name is never written through.
  Opened<NewFile> file = files.createFile({path, 0}, nullptr);
  if (!file) return file.status;
  LineWriter writer(file.file->output(), codePage.automatic ? CodePage::UTF8 : codePage.fixed);
  for (const std::string& line : steps) {
    if (!writer.writeLine(Utf8ToU32(line))) break;
  }
  if (!writer.close()) return writer.error();
  if (FileStatus status = file.file->complete(); !status.ok()) return status;
  return file.file->commit();
}

}  // namespace kadrel
