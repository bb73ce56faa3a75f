// Loading COMBO!! files into the COMBO!! page.
#pragma once

#include <string>
#include <vector>

#include "combo/combo_model.h"
#include "core/host.h"
#include "io/file_layer.h"
#include "text/code_page_setting.h"

namespace kadrel {

// The box of a file that could not be opened (a COMBO!! file, the settings file):
// the failure, then the path.
MessageBoxRequest FileOpenErrorBox(const FileStatus& status, const std::string& path);

enum class ComboLoadResult {
  NoPath,        // the path was empty: nothing done
  OpenFailed,    // "File Open Error" shown; nothing changed
  Loaded,        // read to its end
  Cancelled,     // the user cancelled a problem box; earlier steps stay
  LimitReached,  // the step list is full; the limit box has been shown
  Failed         // a read failure or a comment without text; box shown, text emptied
};

// Reads the COMBO!! file at path (in the code page; with "auto" in the one its
// bytes show) and appends its steps to model.steps and their descriptions and
// comment headings to model.text.
ComboLoadResult LoadComboFile(Host& host, FileLayer& files, const CodePageSetting& codePage,
                              const std::string& path, ComboModel& model);

// Whether the file was opened (it then counts as a recently used COMBO!! file).
bool ComboFileOpened(ComboLoadResult result);

// A drop of several COMBO!! files: empties the step list and the text, then loads
// each file in order. A loading failure ends the drop, leaving the text empty.
// Returns the files that were opened, in order.
std::vector<std::string> LoadComboFiles(Host& host, FileLayer& files,
                                        const CodePageSetting& codePage,
                                        const std::vector<std::string>& paths, ComboModel& model);

}  // namespace kadrel
