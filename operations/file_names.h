// Names the program gives to files and folders, or takes from the user for them (archives,
// renamed car folders, install IDs, folders to remove or switch to): they must also be valid
// where the game runs, on Windows, and mean there what they mean here.
#pragma once

#include <string_view>

namespace krax {

// True when `name` can name a file or folder on Windows as it is: not empty or blank, not "."
// or "..", no character a Windows file name cannot hold (< > : " / \ | ? * and control
// characters), no trailing dot or blank (Windows drops them, so "Original." is "Original"),
// and not a device name Windows reserves (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, in any
// letter case, also with an extension such as "NUL.txt").
bool IsUsableFileName(std::string_view name);

}  // namespace krax
