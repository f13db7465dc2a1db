// Names from files (cabinet entries, paths built from them) as kraxctl echoes them: control
// characters (0x00-0x1F and 0x7F) and the bytes of bidirectional formatting characters become
// \xNN, so a name cannot move the cursor, clear
// the screen or forge further lines. Backslashes stay as they are: they are the
// separators of cabinet names.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/hex_digits.h"

namespace krax::cli {

// The UTF-8 length of a bidirectional formatting character at the start of `text` (U+061C,
// U+200E, U+200F, U+202A-U+202E, U+2066-U+2069), else 0: such a character can make a name
// read backwards or hide what follows it.
inline std::size_t BidiControlLength(std::string_view text) {
  const auto at = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
  if (at(0) == 0xD8 && at(1) == 0x9C) return 2;
  if (at(0) != 0xE2) return 0;
  const unsigned second = at(1), third = at(2);
  if (second == 0x80 && (third == 0x8E || third == 0x8F || (third >= 0xAA && third <= 0xAE))) return 3;
  if (second == 0x81 && third >= 0xA6 && third <= 0xA9) return 3;
  return 0;
}

inline std::string TerminalSafe(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    if (const std::size_t bidi = BidiControlLength(text.substr(i)); bidi != 0) {
      for (std::size_t k = 0; k < bidi; ++k) {
        out += "\\x";
        AppendHexByte(out, static_cast<unsigned char>(text[i + k]));
      }
      i += bidi - 1;
    } else if (byte < 0x20 || byte == 0x7F) {
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
