// What the desktop program sets once for the whole application, before its first
// window: its name, Qt's own texts in Japanese and the window's font.
#pragma once

namespace kadrel::ui {

// Call once a QApplication exists. No application display name is set: Qt would
// append it to every window title, which must read exactly as written.
void SetUpApplication();

}  // namespace kadrel::ui
