// A JSON string literal, always valid UTF-8. `text` is UTF-8 (a path, or game text passed
// through GameTextToUtf8 first); a byte that is not part of valid UTF-8 is read in the
// game's code page, so the output stays valid whatever the file system holds.
#pragma once

#include <string>
#include <string_view>

#include "gamedata/code_page.h"
#include "platform/hex_digits.h"

namespace krax::cli {

inline std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : PathToUtf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          out += "\\u00";
          AppendHexByte(out, byte);
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace krax::cli
