// A preview of a run: the very run that START (or kadrel-cli) would make, over a
// file layer that reads the real files and keeps every write in memory. Nothing
// is written, created or removed: no backup copy, no result file, no temporary;
// what the run would leave goes to a PreviewSink, file by file, as the run
// finishes each. Boxes go to the run context's Host as in a run.
#pragma once

#include "run/preview/file_diff.h"

namespace kadrel {

class PreviewSink {
 public:
  virtual ~PreviewSink() = default;
  // A target whose content the run would change, or a result file it would
  // write (newFile), in the order the run would write them. A target the run
  // would leave as it is (or rewrite with the same bytes) is not reported.
  virtual void fileChanged(const FileDiff& diff) = 0;
};

}  // namespace kadrel
