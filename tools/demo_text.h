// The demo's front-end text files ("Text" + language suffix in FeData/Text).
#pragma once

#include <string>
#include <vector>

namespace krax {

// Index of the first of the nine stock track names in the game text.
inline constexpr int kTrackNameTextIndex = 102;

// The strings of the demo's text file for "english" or "german" (other languages get the
// English strings). Entries 102..110 hold the stock track display names.
std::vector<std::string> DemoGameStrings(const std::string& language);

// The game text layout: a table of 32-bit little-endian offsets, one per string, then the
// strings, each ended by a zero byte, back to back.
std::string BuildGameTextFile(const std::vector<std::string>& strings);

}  // namespace krax
