#include <unistd.h>

#include "platform/console.h"

namespace krax {

namespace {

volatile std::sig_atomic_t* interruptFlag = nullptr;
void (*previousHandler)(int) = SIG_DFL;

extern "C" void OnInterrupt(int) {
  if (interruptFlag) *interruptFlag = 1;
  std::signal(SIGINT, SIG_DFL);  // a second Ctrl+C ends the program
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }

bool IsTerminal(StandardStream stream) {
  const int fd = stream == StandardStream::kInput ? STDIN_FILENO
                 : stream == StandardStream::kOutput ? STDOUT_FILENO
                                                     : STDERR_FILENO;
  return ::isatty(fd) != 0;
}

void PrepareConsole() {}

void CatchInterrupt(volatile std::sig_atomic_t* flag) {
  interruptFlag = flag;
  const auto previous = std::signal(SIGINT, OnInterrupt);
  previousHandler = previous == SIG_ERR ? SIG_DFL : previous;
}

void ReleaseInterrupt() {
  std::signal(SIGINT, previousHandler);
  interruptFlag = nullptr;
}

}  // namespace krax
