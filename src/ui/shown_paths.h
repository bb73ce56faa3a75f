// Paths as the window shows them where space is short: long ones shortened in
// the folder part (the file name stays whole), and the files of a drop named
// from the folder they were dropped in.
#pragma once

#include <QString>
#include <string>
#include <vector>

class QFontMetrics;

namespace kadrel::ui {

// path as it fits in width pixels: whole when it fits; else its folder part
// shortened in the middle with "…", the file name whole; a file name that does
// not fit alone is itself shortened in the middle.
QString ElidePath(const QString& path, const QFontMetrics& metrics, int width);

// The folder a drop's files are named from (ending in "/"): the dropped folder
// (scanRoots: as TargetListResult gives them), the folder of a file dropped as it
// is; for a drop of several, the deepest folder holding them all.
std::string CommonDropFolder(const std::vector<std::string>& paths,
                             const std::vector<size_t>& scanRoots);

// path below folder (which ends in "/"), or path itself when it is not below it.
std::string PathBelow(const std::string& path, const std::string& folder);

}  // namespace kadrel::ui
