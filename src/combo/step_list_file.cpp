#include "combo/step_list_file.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include "combo/step_line_intake.h"
#include "io/file_encoding.h"
#include "io/line_io.h"
#include "io/text_source.h"
#include "text/typed_text.h"
#include "text/utf.h"

namespace kadrel {

FileStatus ReadStepListFile(Host& host, FileLayer& files, const CodePageSetting& codePage,
                            const std::string& path, ComboModel& model) {
  Opened<InputFile> file = files.openReadBounded(path, kComboFileMaxBytes);
  if (!file) return file.status;

  // A byte order mark means its encoding whatever the code page: a UTF-8 one is
  // how a list that the code page cannot hold is written.
  TextSource::Options options;
  options.markRules = true;
  TextSource text = TextSource::Open(std::move(file), codePage, std::move(options));
  Opened<InputFile> content = text.content();
  if (!content) return content.status;
  model.text.clear();
  model.steps.clear();
  LineReader reader(std::move(content.file), text.encoding().codePage);
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
  // A step the code page cannot hold (typed while another code page was set)
  // would be written with "?" in it, a step that then does something else: the
  // list is written in UTF-8 behind a byte order mark instead.
  const bool fits =
      codePage.automatic || std::none_of(steps.begin(), steps.end(), [&](const std::string& step) {
        return FirstUnwritable(Utf8ToU32(step), codePage.fixed).has_value();
      });
  LineWriter writer(file.file->output(),
                    fits && !codePage.automatic ? codePage.fixed : CodePage::UTF8);
  if (!fits && !writer.writeRaw(kUtf8ByteOrderMark)) return writer.error();
  for (const std::string& line : steps) {
    if (!writer.writeLine(Utf8ToU32(line))) break;
  }
  if (!writer.close()) return writer.error();
  if (FileStatus status = file.file->complete(); !status.ok()) return status;
  return file.file->commit();
}

}  // namespace kadrel
