#include "gamedata/code_page.h"

#include <cstdint>

#include "platform/utf8.h"

namespace krax {
namespace {

// Characters of bytes 0x80 to 0x9F; unassigned bytes keep their own number.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

char32_t ByteToChar(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

std::optional<unsigned char> CharToByte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (unsigned i = 0; i < 32; ++i) {
    if (kHighControls[i] == c) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

}  // namespace

std::string GameTextToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) AppendUtf8(out, ByteToChar(static_cast<unsigned char>(c)));
  return out;
}

std::optional<std::string> Utf8ToGameText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    std::size_t length = 0;
    const char32_t c = DecodeUtf8(utf8, at, length);
    if (length == 0) return std::nullopt;
    const std::optional<unsigned char> byte = CharToByte(c);
    if (!byte) return std::nullopt;
    out.push_back(static_cast<char>(*byte));
    at += length;
  }
  return out;
}

std::string FileNameToGameText(std::string_view name) {
  std::optional<std::string> text = Utf8ToGameText(name);
  return text ? std::move(*text) : std::string(name);
}

std::string PathToUtf8(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t at = 0; at < path.size();) {
    std::size_t length = 0;
    DecodeUtf8(path, at, length);
    if (length == 0) {
      AppendUtf8(out, ByteToChar(static_cast<unsigned char>(path[at])));
      ++at;
    } else {
      out.append(path.substr(at, length));
      at += length;
    }
  }
  return out;
}

}  // namespace krax
