// Entry names of zip files as other programs write them: UTF-8 when the entry says so (or a
// Unix tool wrote it), the DOS code page 437 otherwise; '/' or '\' between folders.
#pragma once

#include <string>
#include <string_view>

namespace krax::zip {

// The general purpose flag bit that marks a UTF-8 name.
inline constexpr unsigned long kUtf8NameFlag = 0x800;

// The name as this program spells file names (UTF-8). `versionMadeBy` is the entry's
// "version made by" field; its high byte 3 marks a Unix tool, which writes names in the
// system's encoding (nowadays UTF-8) without setting the flag.
std::string DecodeZipName(std::string_view raw, unsigned long flag, unsigned long versionMadeBy);

// True when every byte is ASCII.
bool IsAscii(std::string_view text);

// True when the name ends in '/' or '\' (a folder entry).
bool IsFolderEntryName(std::string_view name);

}  // namespace krax::zip
