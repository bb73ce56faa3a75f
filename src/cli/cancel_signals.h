// SIGINT and SIGTERM during a run: they set the run's cancel flag, so the run
// ends as a cancel does and no file is left without its previous content.
#pragma once

#include <atomic>

namespace kadrel::cli {

// From now on SIGINT and SIGTERM set flag (which must outlive the process's use
// of it) instead of ending the process.
void CancelOnSignals(std::atomic<bool>& flag);

// True once SIGINT or SIGTERM arrived after CancelOnSignals.
bool CancelSignalReceived();

}  // namespace kadrel::cli
