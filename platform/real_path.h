// Where a path really leads, and whether anything at all is there.
#pragma once

#include <string>
#include <string_view>

namespace krax {

// The absolute path with every link followed, "" when it does not exist.
std::string RealPath(std::string_view path);

// What the symbolic link `link` itself says, not followed (the target need not exist); ""
// when it is no link or cannot be read, and always on Windows.
std::string LinkTarget(std::string_view link);

// True when a file, folder or link (not followed) has exactly this name, letter case
// included (on Windows, where lookups ignore case, the name on disk is compared).
bool EntryExists(std::string_view path);

// True where a lookup finds a name in any spelling of its capitals (Windows): there, opening
// a file does not prove that the name asked for is the name on disk.
#ifdef _WIN32
inline constexpr bool kLookupsIgnoreCase = true;
#else
inline constexpr bool kLookupsIgnoreCase = false;
#endif

}  // namespace krax
