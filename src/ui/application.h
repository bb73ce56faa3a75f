// What the desktop program does once for the whole application: the options it
// answers without a window, the start without a display, and what it sets before
// its first window (its name, Qt's own texts in Japanese and the window's font).
#pragma once

#include <QStringList>

#include <optional>

namespace kadrel::ui {

// kadrel --help and --version (-h, -V), printed without a display: the exit
// status when one of them comes before the PATHs end the options ("--"), else
// nothing.
std::optional<int> AnswerInfoOptions(int argc, char* argv[]);

// The PATHs among the program's arguments, as Qt left them: every argument but
// the first "--" (after it, names beginning with "-" are PATHs too).
QStringList PathArguments(const QStringList& arguments);

// Until EndStartUpGuard: a fatal failure of Qt (no display to connect to, no
// platform plugin) ends the program with a message and exit status 1, not with
// an abort.
void BeginStartUpGuard();
void EndStartUpGuard();

// Call once a QApplication exists. No application display name is set: Qt would
// append it to every window title, which must read exactly as written.
void SetUpApplication();

}  // namespace kadrel::ui
