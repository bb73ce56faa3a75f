// The platform seam: everything the core needs from the surrounding program.
// The window, kadrel-cli and the tests each provide one implementation; no other
// code shows a box or pumps events.
#pragma once

#include <algorithm>
#include <string>

namespace kadrel {

// Icons carry the values of the classic message-box flags so that messages can
// be compared with their documented numbers.
enum class BoxIcon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class BoxButtons { Ok, OkCancel, YesNo };
// Answers carry the classic return values: OK 1, Cancel 2, Yes 6, No 7.
enum class BoxAnswer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct MessageBoxRequest {
  std::string text;   // UTF-8; pieces joined with "\r" or "\r\n" as composed
  std::string title;  // empty: the application title "Kadrel"
  BoxIcon icon = BoxIcon::Exclamation;
  BoxButtons buttons = BoxButtons::Ok;
  BoxAnswer defaultAnswer = BoxAnswer::Ok;  // preselected button
};

// Progress of a run, as shown by the run dialog.
struct RunProgress {
  std::string text;   // the dialog's message (LblWaitMsg)
  int fileIndex = 0;  // files finished so far (0-based index of the current file)
  int fileCount = 0;
  int stepIndex = 0;  // COMBO!! only: 0-based index of the current step
  int stepCount = 0;  // 0 outside a COMBO!! run

  // The file and the step in progress, counted from 1 as the progress text counts
  // them (the last ones once the run is through).
  int fileNumber() const { return std::min(fileIndex + 1, fileCount); }
  int stepNumber() const { return std::min(stepIndex + 1, stepCount); }
};

class Host {
 public:
  virtual ~Host() = default;

  // Shows a modal message box and returns the button chosen.
  virtual BoxAnswer showMessage(const MessageBoxRequest& request) = 0;

  // Lets the surrounding program handle pending events (the run dialog's cancel
  // button, repaints). Called after every input line, so it must be cheap.
  virtual void yield() = 0;

  // The run dialog's progress text and counters.
  virtual void setProgress(const RunProgress& progress) = 0;

  // The target file list marks the file being processed (selected, scrolled to top).
  virtual void selectTarget(int index) = 0;

  // With the code page option "auto": the code page the file being processed is
  // read in ("CP932", "UTF-8 (BOM)", "ASCII", ...).
  virtual void showCodePage(const std::string& /*path*/, const std::string& /*codePage*/) {}
};

}  // namespace kadrel
