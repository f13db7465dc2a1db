// Replacing one entry of a car archive by data of another length: the archive is written
// again completely (the same entries in the same order, every other entry byte for byte) to
// a new file beside it, which then replaces it. Used where a patch in place cannot serve,
// such as a carp.txt whose serial number changes its number of digits.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace krax {

// The archive `archive` with the data of the first entry named exactly `entryName` replaced
// by `data`. nullopt when the archive is damaged (a directory that was cut, or an entry whose
// data lies outside the file), has no such entry, or would pass the 32-bit offsets.
std::optional<std::string> RebuildVivArchive(std::string_view archive, std::string_view entryName,
                                             std::string_view data);

// Reads the archive at `path`, rebuilds it as above and replaces the file only with the
// complete result. False, with the file unchanged, on any failure.
bool ReplaceVivEntry(std::string_view path, std::string_view entryName, std::string_view data);

// The carp.txt text with value 0 (the serial number) replaced by `serial`; nullopt when the
// text has no value 0.
std::optional<std::string> SetCarpSerial(std::string_view carpText, std::string_view serial);

}  // namespace krax
