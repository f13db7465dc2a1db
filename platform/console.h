// The program's own console (or terminal): whether a standard stream is one, UTF-8 text on
// it (Ctrl+C as a request to stop: platform/stop_signals.h).
#pragma once

#include <string>
#include <vector>

namespace krax {

// The program's command line as UTF-8 words, its own name first (on Windows taken from the
// UTF-16 command line, not from `argv` in the ANSI code page).
std::vector<std::string> ProgramArguments(int argc, char** argv);

enum class StandardStream { kInput, kOutput, kError };

// True when the stream is an interactive console or terminal (not a file, pipe or NUL).
bool IsTerminal(StandardStream stream);

// Makes std::cout and std::cerr show UTF-8 text correctly on a console, with "\r" and
// the "\x1b[K" line erase working (Windows; nothing to do elsewhere). Call once at start.
void PrepareConsole();

}  // namespace krax
