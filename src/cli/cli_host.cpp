#include "cli/cli_host.h"

#include <cerrno>

#include "cli/cancel_signals.h"

namespace kadrel::cli {

namespace {
constexpr const char* kClearLine = "\r\033[K";
}

std::string ToLineFeeds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string FormatBoxBlock(const MessageBoxRequest& box) {
  return "[" + (box.title.empty() ? std::string("Kadrel") : box.title) + "] " +
         ToLineFeeds(box.text) + "\n";
}

CliHost::CliHost(std::FILE* err, BoxAnswer okCancelAnswer, bool showProgress, bool showCodePages,
                 PathDisplay display)
    : err_(err),
      okCancelAnswer_(okCancelAnswer),
      showProgress_(showProgress),
      showCodePages_(showCodePages),
      display_(std::move(display)) {}

CliHost::~CliHost() {
  endProgress();
}

BoxAnswer CliHost::showMessage(const MessageBoxRequest& request) {
  endProgress();
  ++boxCount_;
  const std::string block = display_.text(FormatBoxBlock(request));
  std::fwrite(block.data(), 1, block.size(), err_);
  flush();
  switch (request.buttons) {
    case BoxButtons::Ok:
      return BoxAnswer::Ok;
    case BoxButtons::OkCancel:
      return okCancelAnswer_;
    case BoxButtons::YesNo:
      break;
  }
  return request.defaultAnswer;
}

void CliHost::showCodePage(const std::string& path, const std::string& codePage) {
  if (!showCodePages_) return;
  endProgress();
  const std::string line = display_.path(path) + ": 文字コード " + codePage + "\n";
  std::fwrite(line.data(), 1, line.size(), err_);
  std::fflush(err_);
}

void CliHost::summary(const std::string& line) {
  endProgress();
  std::fputs((line + "\n").c_str(), err_);
  flush();
}

void CliHost::setProgress(const RunProgress& p) {
  if (!showProgress_ || p.fileCount <= 0) return;
  std::string line =
      "FILE ( " + std::to_string(p.fileNumber()) + " / " + std::to_string(p.fileCount) + " )";
  if (p.stepCount > 0) {
    line += "  COMBO!! ( " + std::to_string(p.stepNumber()) + " / " + std::to_string(p.stepCount) +
            " )";
  }
  std::fputs(kClearLine, err_);
  std::fputs(line.c_str(), err_);
  flush();
  progressShown_ = true;
}

void CliHost::endProgress() {
  if (!progressShown_) return;
  std::fputs(kClearLine, err_);
  flush();
  progressShown_ = false;
}

void CliHost::flush() {
  // Nobody reads the boxes any more (the reading end of a pipe was closed): the
  // run is cancelled, as when its terminal closes.
  std::fflush(err_);
  if (std::ferror(err_)) {
    if (errno == EPIPE) CancelRun();
    std::clearerr(err_);
  }
}

}  // namespace kadrel::cli
