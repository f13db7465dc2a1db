#include "platform/stop_signals.h"

#include <atomic>

#include "platform/windows_support.h"

namespace krax {
namespace {

std::atomic<bool> requested{false};
std::atomic<int> depth{0};

// Runs on a thread of its own that the system starts for the console event.
BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      // The second request: FALSE hands it on to the default handler, which ends the process.
      if (requested.exchange(true)) return FALSE;
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

StopSignalScope::StopSignalScope() {
  if (depth.fetch_add(1) != 0) return;
  requested = false;
  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopSignalScope::~StopSignalScope() {
  if (depth.fetch_sub(1) != 1) return;
  ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

bool StopSignalReceived() { return requested; }

}  // namespace krax
