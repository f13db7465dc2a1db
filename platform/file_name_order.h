// The order in which Windows lists a folder of the game: names compared ignoring case, as
// upper-case UTF-16 code units. Which of two cars is the duplicate, which keeps its ID and
// which keeps its serial number follows the listing order, so every listing that decides
// something is put in this one order, whatever the file system returned.
#pragma once

#include <string_view>

namespace krax {

// Negative, zero or positive as `a` lists before, with or after `b` on Windows. Names are
// UTF-8 (Linux names and the names the Windows build converts from UTF-16); a byte that is
// not part of valid UTF-8 is read as the game's code page (Windows-1252) reads it, as it is
// shown to the user. Each UTF-16 code unit is upper-cased on its own (as NTFS does with its
// case table): ASCII, the letters of Windows-1252, Latin Extended-A, basic Greek and
// Cyrillic; other code units compare as they are. Zero means one name to Windows.
int CompareFileNames(std::string_view a, std::string_view b);

// A strict total order: CompareFileNames, then, for names that differ only in case (which only
// a case-sensitive file system can hold side by side), their bytes.
bool FileNameLess(std::string_view a, std::string_view b);

}  // namespace krax
