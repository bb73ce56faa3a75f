// KadrelCmb.data: the step list kept from one session to the next, one step line
// per line, in the code page.
#pragma once

#include <string>
#include <vector>

#include "combo/combo_model.h"
#include "core/host.h"
#include "io/file_layer.h"
#include "text/code_page_setting.h"

namespace kadrel {

inline constexpr const char* kStepListFileName = "KadrelCmb.data";

// Reads the step list file into model.steps and model.text (both emptied first).
// Blank lines, lines without fields and comments without text are ignored; a step
// rejected by the check is dropped (its boxes are shown); Cancel stops reading.
// With "auto" the file is read in the code page its bytes show.
// No step limit, and the recent list is not touched. Only a regular file of at
// most kComboFileMaxBytes is read. Returns the failure, changing nothing, when the
// file cannot be opened; a read failure ends reading silently.
FileStatus ReadStepListFile(Host& host, FileLayer& files, const CodePageSetting& codePage,
                            const std::string& path, ComboModel& model);

// Writes steps, each line followed by CR LF, replacing the file; with no steps the
// file is deleted (a missing file is no error). With "auto" the file is written in
// UTF-8. A file that could not be written completely leaves the previous one as
// it was. Returns the failure, if any.
FileStatus WriteStepListFile(FileLayer& files, const CodePageSetting& codePage,
                             const std::string& path, const std::vector<std::string>& steps);

}  // namespace kadrel
