#include "ui/shown_paths.h"

#include <QFontMetrics>

namespace kadrel::ui {

QString ElidePath(const QString& path, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(path) <= width) return path;
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  const QString name = path.mid(slash + 1);
  const QString folder = path.left(slash + 1);
  const int nameWidth = metrics.horizontalAdvance(name);
  // The folder keeps at least its ellipsis; what it cannot show, the name gives up.
  const int ellipsisWidth = metrics.horizontalAdvance(QChar(0x2026));
  if (folder.isEmpty() || nameWidth + ellipsisWidth > width)
    return metrics.elidedText(folder.isEmpty() ? name : QChar(0x2026) + name, Qt::ElideMiddle,
                              width);
  return metrics.elidedText(folder, Qt::ElideMiddle, width - nameWidth) + name;
}

std::string CommonDropFolder(const std::vector<std::string>& paths,
                             const std::vector<size_t>& scanRoots) {
  std::string common;
  bool first = true;
  for (size_t i = 0; i < paths.size(); ++i) {
    const std::string& path = paths[i];
    const size_t root = i < scanRoots.size() && scanRoots[i] > 0 && scanRoots[i] <= path.size()
                            ? scanRoots[i]
                            : path.rfind('/') + 1;  // npos + 1: no folder
    const std::string_view folder(path.data(), root);
    if (first) {
      common = folder;
      first = false;
      continue;
    }
    size_t same = 0;
    while (same < common.size() && same < folder.size() && common[same] == folder[same]) ++same;
    common.resize(same);
  }
  // Cut back to a whole folder name.
  const size_t slash = common.rfind('/');
  common.resize(slash == std::string::npos ? 0 : slash + 1);
  return common;
}

std::string PathBelow(const std::string& path, const std::string& folder) {
  if (folder.empty() || path.size() <= folder.size() || !path.starts_with(folder)) return path;
  return path.substr(folder.size());
}

}  // namespace kadrel::ui
