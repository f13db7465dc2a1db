// Names the program gives to files and folders it creates (archives, renamed car folders):
// they must also be valid where the game runs, on Windows.
#pragma once

#include <string_view>

namespace krax {

// True when `name` can name a file or folder on Windows: not empty, not "." or "..", no
// character a Windows file name cannot hold (< > : " / \ | ? * and control characters), and
// no trailing dot or blank.
bool IsUsableFileName(std::string_view name);

}  // namespace krax
