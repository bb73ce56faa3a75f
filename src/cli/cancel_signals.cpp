#include "cli/cancel_signals.h"

#include <iterator>

namespace kadrel::cli {

namespace {

std::atomic<std::atomic<bool>*> g_flag{nullptr};
volatile std::sig_atomic_t g_received = 0;

static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");
static_assert(std::atomic<std::atomic<bool>*>::is_always_lock_free,
              "the flag is found from a signal handler");

constexpr int kCancelSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

extern "C" void OnCancelSignal(int) {
  CancelRun();
}

}  // namespace

void CancelRun() {
  g_received = 1;
  if (std::atomic<bool>* flag = g_flag.load()) flag->store(true);
}

CancelOnSignals::CancelOnSignals(std::atomic<bool>& flag) {
  g_flag.store(&flag);
  struct sigaction action = {};
  action.sa_handler = OnCancelSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // file reads and writes go on; the flag is polled
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  for (size_t i = 0; i < std::size(kCancelSignals); ++i) {
    const int signal = kCancelSignals[i];
    sigaction(signal, signal == SIGPIPE ? &ignore : &action, &previous_[i]);
  }
}

CancelOnSignals::~CancelOnSignals() {
  g_flag.store(nullptr);
  for (size_t i = 0; i < std::size(kCancelSignals); ++i)
    sigaction(kCancelSignals[i], &previous_[i], nullptr);
}

bool CancelSignalReceived() {
  return g_received != 0;
}

}  // namespace kadrel::cli
