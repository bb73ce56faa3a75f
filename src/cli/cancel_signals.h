// Interruptions during a run are cancels: SIGINT, SIGTERM, SIGHUP (a closed
// terminal or ssh session) and a closed output (a write to it fails with EPIPE
// once SIGPIPE is ignored) set the run's cancel flag, so the run ends as a
// cancel does and no file is left without its previous content.
#pragma once

#include <atomic>
#include <csignal>

namespace kadrel::cli {

class CancelOnSignals {
 public:
  // From now on the signals set flag instead of ending the process, and SIGPIPE
  // is ignored. flag must outlive this object.
  explicit CancelOnSignals(std::atomic<bool>& flag);
  // The signals' earlier handling comes back, and nothing touches flag any more.
  ~CancelOnSignals();
  CancelOnSignals(const CancelOnSignals&) = delete;
  CancelOnSignals& operator=(const CancelOnSignals&) = delete;

 private:
  struct sigaction previous_[4];
};

// Cancels the run as a signal does (the output was found closed).
void CancelRun();

// True once the run was cancelled by a signal or by CancelRun.
bool CancelSignalReceived();

}  // namespace kadrel::cli
