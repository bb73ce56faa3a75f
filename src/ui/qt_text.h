// Text and paths between Qt and the layers below, which hold text in UTF-8 and
// paths as the file system spells them.
#pragma once

#include <QString>
#include <string>

namespace kadrel::ui {

// UTF-8 text as a QString, and back.
QString ToQString(const std::string& utf8);
std::string ToUtf8(const QString& text);

// A path as the file system spells it, as a QString, and back (QFile's
// decodeName / encodeName).
QString PathToQString(const std::string& path);
std::string PathFromQString(const QString& path);

// Text with its lines ended by CR or CR LF (messages, the COMBO!! text) as Qt
// shows it: Qt breaks lines at LF.
QString ShownText(const std::string& text);

}  // namespace kadrel::ui
