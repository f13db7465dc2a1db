// Hexadecimal digits: reading %XX escapes in stored files, writing \xNN and \u00NN escapes.
#pragma once

#include <string>

namespace krax {

// The value of one hexadecimal digit of either case; -1 for any other character.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Appends the byte as two lower-case hexadecimal digits.
inline void AppendHexByte(std::string& out, unsigned char byte) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0xF];
}

}  // namespace krax
