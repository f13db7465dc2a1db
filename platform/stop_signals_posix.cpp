#include <signal.h>

#include <atomic>
#include <csignal>

#include "platform/stop_signals.h"

namespace krax {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = sizeof kStopSignals / sizeof kStopSignals[0];

volatile std::sig_atomic_t requested = 0;
std::atomic<int> depth{0};
struct sigaction previous[kSignalCount];

extern "C" void OnStopSignal(int number) {
  if (requested != 0) {
    // The second request: end now, as without a scope.
    ::signal(number, SIG_DFL);
    ::raise(number);
    return;
  }
  requested = 1;
}

}  // namespace

StopSignalScope::StopSignalScope() {
  if (depth.fetch_add(1) != 0) return;
  requested = 0;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  ::sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < kSignalCount; ++i) ::sigaction(kStopSignals[i], &action, &previous[i]);
}

StopSignalScope::~StopSignalScope() {
  if (depth.fetch_sub(1) != 1) return;
  for (int i = 0; i < kSignalCount; ++i) ::sigaction(kStopSignals[i], &previous[i], nullptr);
}

bool StopSignalReceived() { return requested != 0; }

}  // namespace krax
