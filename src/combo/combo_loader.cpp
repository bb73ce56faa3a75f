#include "combo/combo_loader.h"

#include <memory>

#include "combo/step_line_intake.h"
#include "core/run_error.h"
#include "io/line_io.h"
#include "io/text_source.h"

namespace kadrel {

namespace {

void ShowLoadingError(Host& host, int number, const std::string& description) {
  MessageBoxRequest box;
  box.text = "COMBO!!データ展開中にエラーが発生しました\r\n( " + std::to_string(number) + " ) " +
             description;
  box.icon = BoxIcon::Critical;
  box.buttons = BoxButtons::Ok;
  host.showMessage(box);
}

}  // namespace

MessageBoxRequest FileOpenErrorBox(const FileStatus& status, const std::string& path) {
  MessageBoxRequest box;
  box.title = "File Open Error";
  box.text = status.text + "\r[ " + path + "]";
  box.icon = BoxIcon::Exclamation;
  box.buttons = BoxButtons::Ok;
  return box;
}

ComboLoadResult LoadComboFile(Host& host, FileLayer& files, const CodePageSetting& codePage,
                              const std::string& path, ComboModel& model) {
  if (path.empty()) return ComboLoadResult::NoPath;

  Opened<InputFile> file = files.openReadBounded(path, kComboFileMaxBytes);
  if (!file) {
    host.showMessage(FileOpenErrorBox(file.status, path));
    return ComboLoadResult::OpenFailed;
  }

  // A byte order mark means its encoding whatever the code page, and is no part
  // of the first step line.
  TextSource::Options options;
  options.markRules = true;
  TextSource text = TextSource::Open(std::move(file), codePage, std::move(options));
  Opened<InputFile> content = text.content();
  if (!content) {
    ShowLoadingError(host, content.status.code, content.status.text);
    model.text.clear();
    return ComboLoadResult::Failed;
  }
  LineReader reader(std::move(content.file), text.encoding().codePage);
  const IntakeRules rules{.limitSteps = true, .commentNeedsText = true};
  ComboLoadResult result = ComboLoadResult::Loaded;
  const bool read = ReadStepLines(reader, [&](const std::string& line) {
    switch (TakeStepLine(host, line, model, rules, TextCheckCodePage(codePage))) {
      case IntakeResult::Next:
        return true;
      case IntakeResult::Stop:
        result = ComboLoadResult::Cancelled;
        break;
      case IntakeResult::LimitReached:
        result = ComboLoadResult::LimitReached;
        break;
      case IntakeResult::CommentWithoutText: {
        RunError error = MakeRunError(kErrSubscript);
        ShowLoadingError(host, error.number(), error.what());
        model.text.clear();
        result = ComboLoadResult::Failed;
        break;
      }
    }
    return false;
  });
  if (!read) {
    ShowLoadingError(host, reader.error().code, reader.error().text);
    model.text.clear();
    return ComboLoadResult::Failed;
  }
  return result;
}

bool ComboFileOpened(ComboLoadResult result) {
  return result != ComboLoadResult::NoPath && result != ComboLoadResult::OpenFailed;
}

std::vector<std::string> LoadComboFiles(Host& host, FileLayer& files,
                                        const CodePageSetting& codePage,
                                        const std::vector<std::string>& paths, ComboModel& model) {
  model.steps.clear();
  model.text.clear();
  std::vector<std::string> opened;
  for (const std::string& path : paths) {
    const ComboLoadResult result = LoadComboFile(host, files, codePage, path, model);
    if (ComboFileOpened(result)) opened.push_back(path);
    // After a failure the text stays empty, so that no run starts on a step list
    // that was loaded only in part; later files of the drop would fill it again.
    if (result == ComboLoadResult::Failed) break;
  }
  return opened;
}

}  // namespace kadrel
