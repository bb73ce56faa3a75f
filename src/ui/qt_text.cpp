#include "ui/qt_text.h"

#include <QFile>

namespace kadrel::ui {

QString ToQString(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

std::string ToUtf8(const QString& text) {
  return text.toStdString();
}

QString PathToQString(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PathFromQString(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString ShownText(const std::string& text) {
  QString s = ToQString(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

}  // namespace kadrel::ui
