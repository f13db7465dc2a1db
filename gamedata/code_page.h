// The game's 8-bit code page. The game keeps its texts (car IDs and names in the front-end
// data, the front-end strings) in Windows-1252, the code page of every language the game
// ships in (English, German, Spanish, Italian, Swedish, French). Folder names on Linux are
// UTF-8, so they are converted before they are compared with a car ID, and game text is
// converted to UTF-8 before it reaches the user.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace krax {

// Game text (Windows-1252) as UTF-8. Every byte has a character; the five bytes the code
// page leaves unassigned become the control characters of the same number, as on Windows,
// so the conversion can be undone.
std::string GameTextToUtf8(std::string_view text);

// UTF-8 as game text; nullopt when `utf8` is not valid UTF-8 or holds a character the code
// page lacks.
std::optional<std::string> Utf8ToGameText(std::string_view utf8);

// A file or folder name as the game sees it: UTF-8 names converted to the code page; a name
// that is not valid UTF-8, or holds characters the code page lacks, is kept as its bytes.
std::string FileNameToGameText(std::string_view name);

// A path for the user: valid UTF-8 stays as it is; a byte that is not part of valid UTF-8 is
// read in the game's code page. The result is always valid UTF-8.
std::string PathToUtf8(std::string_view path);

}  // namespace krax
