// The text the string editor shows: one game string per line, each line ended by '\n', so
// that the line number is the string's index. A string that itself holds a line break (CR
// or LF) would shift every later string; such a string is shown escaped ("\r", "\n", and "\\"
// for a backslash) and turned back when the text is split. Other strings are shown and taken
// back exactly as they are.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krax {

class GameTextTable;

struct StringEditorText {
  std::string text;            // every string, each followed by '\n'
  std::vector<bool> escaped;   // per string: shown with escapes
  std::size_t count() const { return escaped.size(); }
};

// The editor's text for the strings of `table`, in index order.
StringEditorText JoinGameStrings(const GameTextTable& table);

// The strings of an edited text: the pieces before each '\n' (a last piece without one is
// dropped), escaped lines turned back. nullopt unless there are exactly `layout.count()`
// pieces: a text with lines added or removed must never be saved, it would shift strings.
std::optional<std::vector<std::string>> SplitGameStrings(std::string_view text, const StringEditorText& layout);

// The line-count guard: true while `text` still holds exactly `strings` line ends.
bool KeepsLineCount(std::u16string_view text, std::size_t strings);

// "Find": the first position at or after `from` where `needle` occurs in `text`, ignoring the
// case of ASCII and Latin-1 letters; nullopt when there is none (also for an empty needle or
// `from` past the end).
std::optional<std::size_t> FindIgnoringCase(std::u16string_view text, std::u16string_view needle, std::size_t from);

}  // namespace krax
