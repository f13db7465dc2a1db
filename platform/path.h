// Paths as the game sees them. The game (and its add-ons) spell paths with backslashes and
// expect Windows' case-insensitive lookup; these helpers give the same results on Linux.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace krax {

// The native separator ('/' on Linux, '\\' on Windows).
char NativeSeparator();

// True for '/' and '\\' (both separate components in the game's paths on every host).
bool IsSeparator(char c);

// Joins a folder and a sub-path with exactly one native separator between them, whatever
// separators either side already has ("D:\\" + "\\GameData" and "/cd/" + "/GameData" alike).
// Backslashes in `sub` become native separators. An empty folder yields `sub` unchanged
// apart from separator conversion.
std::string JoinPath(std::string_view folder, std::string_view sub);

// Splits a path at both kinds of separator; empty components are dropped.
std::vector<std::string> PathComponents(std::string_view path);

// The last component (text after the last separator of either kind), "" for none.
std::string BaseName(std::string_view path);

// Everything before the last separator (without it), "" when there is none; the parent of
// "/name" is "/".
std::string ParentPath(std::string_view path);

// Byte-wise ASCII case-insensitive equality.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// `text` with ASCII capitals made small; other bytes unchanged (the case EqualsIgnoreCase
// ignores).
std::string AsciiLower(std::string_view text);

// Finds an existing file or folder the way Wine does: component by component, a component
// that does not exist as spelled resolves to the first entry of its parent that matches it
// ignoring ASCII case. Returns the path as it exists on disk; when some component cannot be
// found, the components before it as they exist on disk and the rest as spelled (native
// separators), so that a missing file or folder is then created as spelled in the right place.
std::string ResolvePath(std::string_view path);

// True when ResolvePath finds every component.
bool PathExists(std::string_view path);

}  // namespace krax
