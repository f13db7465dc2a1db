#include "gamedata/code_page.h"

#include "platform/utf8.h"

namespace krax {

std::string GameTextToUtf8(std::string_view text) {
  return Windows1252ToUtf8(text);
}

std::optional<std::string> Utf8ToGameText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    std::size_t length = 0;
    const char32_t c = DecodeUtf8(utf8, at, length);
    if (length == 0) return std::nullopt;
    const std::optional<unsigned char> byte = Windows1252Byte(c);
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
      AppendUtf8(out, Windows1252Char(static_cast<unsigned char>(path[at])));
      ++at;
    } else {
      out.append(path.substr(at, length));
      at += length;
    }
  }
  return out;
}

}  // namespace krax
