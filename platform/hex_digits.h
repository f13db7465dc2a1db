// Hexadecimal digits: reading %XX, \xHHHH escapes in stored files and the registry, writing
// \xNN, \u00NN and %XX escapes.
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

enum class HexCase { kLower, kUpper };

// Appends the byte as two hexadecimal digits (lower case unless told).
inline void AppendHexByte(std::string& out, unsigned char byte, HexCase letters = HexCase::kLower) {
  static constexpr char kLower[] = "0123456789abcdef";
  static constexpr char kUpper[] = "0123456789ABCDEF";
  const char* digits = letters == HexCase::kUpper ? kUpper : kLower;
  out += digits[byte >> 4];
  out += digits[byte & 0xF];
}

}  // namespace krax
