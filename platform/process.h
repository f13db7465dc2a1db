// Starting other programs: the game, the configured editors, and "open this file with the
// program the desktop associates with it". A command line is split into words the way a
// shell splits them and started directly, never through a shell.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace krax {

struct ProcessResult {
  bool started = false;
  int systemError = 0;    // errno of the failure, 0 when started
  int exitCode = -1;      // only when the start waited for the program to end
  std::string message;    // what went wrong, "" when started
  bool ok() const { return started; }
  explicit operator bool() const { return ok(); }

  static ProcessResult Failed(int error, std::string message) {
    ProcessResult r;
    r.systemError = error;
    r.message = std::move(message);
    return r;
  }
};

struct StartOptions {
  std::string workingFolder;  // "" keeps ours
  std::vector<std::pair<std::string, std::string>> environment;  // added to ours
  bool wait = false;          // wait for the program to end and report its exit code
};

// Splits a command line into words as a POSIX shell does: blanks separate words, single
// quotes keep everything, double quotes keep everything but \" \\ \$ \` , a backslash outside
// quotes keeps the next character. No expansion of any kind. nullopt for an unclosed quote.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view commandLine);

// Starts argv[0] (searched in PATH when it has no separator) with the given arguments.
// A program ending in ".exe" is started through `wine` on hosts other than Windows, with
// WINEPREFIX set when the program lies inside a Wine prefix.
ProcessResult StartProgram(const std::vector<std::string>& argv, const StartOptions& options = {});

// Splits `commandLine` (SplitCommandLine) and starts it; an empty or unbalanced line fails.
ProcessResult StartCommandLine(std::string_view commandLine, const StartOptions& options = {});

// Opens a file or folder with the program the desktop associates with it (xdg-open).
ProcessResult OpenWithAssociatedProgram(std::string_view path);

// The Wine prefix holding `path` (the nearest folder above it that holds "system.reg" and
// "dosdevices"), "" when the path lies in none.
std::string WinePrefixOf(std::string_view path);

// True for a program name ending in ".exe" (any case).
bool IsWindowsProgram(std::string_view program);

}  // namespace krax
