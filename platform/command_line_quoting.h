// The command line a Windows program receives: its words quoted so that the program's
// start-up code (CommandLineToArgvW and the C runtime) splits it into the same words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace krax {

// One word: unchanged when it needs no quotes, else in double quotes with backslashes
// before a quote (and at the end) doubled and quotes escaped.
std::string QuoteWindowsArgument(std::string_view word);

// The words quoted and joined by single blanks.
std::string WindowsCommandLine(const std::vector<std::string>& words);

}  // namespace krax
