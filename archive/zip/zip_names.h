// Entry names of zip files as other programs write them: UTF-8 when the entry says so (or a
// Unix tool wrote it), the DOS code page 437 otherwise; '/' or '\' between folders.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krax::zip {

// The general purpose flag bit that marks a UTF-8 name.
inline constexpr unsigned long kUtf8NameFlag = 0x800;

// The name as this program spells file names (UTF-8). `versionMadeBy` is the entry's
// "version made by" field; its high byte 3 marks a Unix tool, which writes names in the
// system's encoding (nowadays UTF-8) without setting the flag.
std::string DecodeZipName(std::string_view raw, unsigned long flag, unsigned long versionMadeBy);

// True when every byte is ASCII.
bool IsAscii(std::string_view text);

// The folder components and file name of a stored name that may be written below a
// destination folder, or nullopt for a name that is empty, absolute, names a drive
// ("C:" anywhere), or climbs with "..". Both '/' and '\' separate; empty and "."
// components are dropped. A name ending in a separator (a folder entry) keeps its last
// folder as the last component; see IsFolderEntryName.
std::optional<std::vector<std::string>> SafeZipComponents(std::string_view name);

// True when the name ends in '/' or '\' (a folder entry).
bool IsFolderEntryName(std::string_view name);

// The part of the name behind its last '/' or '\' ("" for a folder entry).
std::string ZipBaseName(std::string_view name);

}  // namespace krax::zip
