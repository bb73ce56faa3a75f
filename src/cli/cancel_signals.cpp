#include "cli/cancel_signals.h"

#include <csignal>

namespace kadrel::cli {

namespace {

std::atomic<bool>* g_flag = nullptr;
volatile std::sig_atomic_t g_received = 0;

static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void OnCancelSignal(int) {
  g_received = 1;
  if (g_flag != nullptr) g_flag->store(true);
}

}  // namespace

void CancelOnSignals(std::atomic<bool>& flag) {
  g_flag = &flag;
  struct sigaction action = {};
  action.sa_handler = OnCancelSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // file reads and writes go on; the flag is polled per line
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool CancelSignalReceived() {
  return g_received != 0;
}

}  // namespace kadrel::cli
