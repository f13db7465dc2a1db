#include <unistd.h>

#include "platform/console.h"

namespace krax {

std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }

bool IsTerminal(StandardStream stream) {
  const int fd = stream == StandardStream::kInput    ? STDIN_FILENO
                 : stream == StandardStream::kOutput ? STDOUT_FILENO
                                                     : STDERR_FILENO;
  return ::isatty(fd) != 0;
}

void PrepareConsole() {}

}  // namespace krax
