// Ctrl+C and requests to terminate the process, turned into a request to stop that long
// work asks for between its steps, so that it ends cleanly and removes its temporary files.
// Outside a StopSignalScope the signals keep their usual effect.
#pragma once

namespace krax {

// While one lives (scopes nest), Ctrl+C and termination requests only set the request;
// a second one ends the process at once, as if no scope were there.
class StopSignalScope {
 public:
  StopSignalScope();
  ~StopSignalScope();
  StopSignalScope(const StopSignalScope&) = delete;
  StopSignalScope& operator=(const StopSignalScope&) = delete;
};

// True once a stop was requested since the outermost scope began. Safe from any thread.
bool StopSignalReceived();

}  // namespace krax
