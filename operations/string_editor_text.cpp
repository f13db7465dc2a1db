#include "operations/string_editor_text.h"

#include <algorithm>

#include "gamedata/game_text.h"

namespace krax {

namespace {

bool HoldsLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

// The reverse of Escape; a backslash before any other character (or at the end) stays.
std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[i + 1];
      if (next == '\\' || next == 'r' || next == 'n') {
        out += next == '\\' ? '\\' : next == 'r' ? '\r' : '\n';
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

char16_t Lower(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 0x20);
  return c;
}

}  // namespace

StringEditorText JoinGameStrings(const GameTextTable& table) {
  StringEditorText out;
  for (std::size_t i = 0; i < table.count(); ++i) {
    const std::string& text = table.text(i);
    const bool escape = HoldsLineBreak(text);
    out.text += escape ? Escape(text) : text;
    out.text += '\n';
    out.escaped.push_back(escape);
  }
  return out;
}

std::optional<std::vector<std::string>> SplitGameStrings(std::string_view text, const StringEditorText& layout) {
  std::vector<std::string> strings;
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', start)) {
    if (strings.size() == layout.count()) return std::nullopt;
    const std::string_view piece = text.substr(start, end - start);
    strings.push_back(layout.escaped[strings.size()] ? Unescape(piece) : std::string(piece));
    start = end + 1;
  }
  if (strings.size() != layout.count()) return std::nullopt;
  return strings;
}

bool KeepsLineCount(std::u16string_view text, std::size_t strings) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\n')) == strings;
}

std::optional<std::size_t> FindIgnoringCase(std::u16string_view text, std::u16string_view needle, std::size_t from) {
  if (needle.empty() || from > text.size()) return std::nullopt;
  const auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), needle.begin(),
                              needle.end(), [](char16_t a, char16_t b) { return Lower(a) == Lower(b); });
  if (it == text.end()) return std::nullopt;
  return static_cast<std::size_t>(it - text.begin());
}

}  // namespace krax
