// Names from files (cabinet entries, paths built from them) as kraxctl echoes them: control
// characters (0x00-0x1F and 0x7F) become \xNN, so a name cannot move the cursor, clear
// the screen or forge further lines. Backslashes stay as they are: they are the
// separators of cabinet names.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/hex_digits.h"

namespace krax::cli {

inline std::string TerminalSafe(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out += "\\x";
      AppendHexByte(out, byte);
    } else {
      out += c;
    }
  }
  return out;
}

// The same for a message of several lines: its line ends stay, every other control character
// is shown as \xNN.
inline std::string TerminalSafeLines(std::string_view text) {
  std::string out;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    out += TerminalSafe(text.substr(start, end - start));
    if (end < text.size()) out += '\n';
    start = end + 1;
  }
  return out;
}

}  // namespace krax::cli
