// UTF-8 encoding and decoding of single characters, for the converters between the 8-bit
// code pages of games and archives and the UTF-8 of Linux names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace krax {

// Appends `c` encoded as UTF-8 (one to four bytes).
void AppendUtf8(std::string& out, char32_t c);

// Decodes one UTF-8 character at `at`; its length in `length`, 0 when the bytes there are
// not valid UTF-8 (overlong forms, surrogates and values past U+10FFFF are not).
char32_t DecodeUtf8(std::string_view text, std::size_t at, std::size_t& length);

}  // namespace krax
