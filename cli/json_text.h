// A JSON string literal for 8-bit text. Game texts are in the system code page, not UTF-8,
// so bytes from 0x80 up are written as \u00XX (their Latin-1 reading) to keep the output
// valid JSON whatever the game holds.
#pragma once

#include <string>
#include <string_view>

namespace krax::cli {

inline std::string JsonString(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20 || byte >= 0x7F) {
          out += "\\u00";
          out += kHex[byte >> 4];
          out += kHex[byte & 0xF];
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace krax::cli
