// UTF-8 encoding and decoding of single characters, for the converters between the 8-bit
// code pages of games and archives and the UTF-8 of Linux names.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace krax {

// Appends `c` encoded as UTF-8 (one to four bytes).
void AppendUtf8(std::string& out, char32_t c);

// Decodes one UTF-8 character at `at`; its length in `length`, 0 when the bytes there are
// not valid UTF-8 (overlong forms, surrogates and values past U+10FFFF are not).
char32_t DecodeUtf8(std::string_view text, std::size_t at, std::size_t& length);

// True when `text` is valid UTF-8 throughout.
bool IsValidUtf8(std::string_view text);

// Windows-1252, the 8-bit code page of the game's texts and of the names older Windows tools
// store in cabinets. Every byte has a character: the five bytes the code page leaves
// unassigned stand for the control characters of the same number, as on Windows.
char32_t Windows1252Char(unsigned char byte);
// The byte of `c` in Windows-1252; nullopt when the code page lacks it.
std::optional<unsigned char> Windows1252Byte(char32_t c);
// Windows-1252 text as UTF-8.
std::string Windows1252ToUtf8(std::string_view text);

}  // namespace krax
