// The steps of SafeDestination that each system takes its own way: safe_destination.cpp
// (POSIX, descriptors relative to their folder) and safe_destination_windows.cpp (handles
// on full paths) implement them; safe_destination_common.cpp holds the rest. Each returns
// the system's error as an errno value through `error`.
#pragma once

#include <string>

#include "platform/unique_fd.h"

namespace krax::destination_system {

// The destination folder the user chose, opened through a link if that is what they chose.
UniqueFd OpenDestination(const std::string& folder, int& error);

// A second descriptor of the folder open as `folder`.
UniqueFd Duplicate(const UniqueFd& folder, int& error);

// Creates the folder `name` of `parent` (its whole path is `path`); true when it exists now.
bool MakeFolder(const UniqueFd& parent, const std::string& name, const std::string& path, int& error);

// Opens the folder `name` of `parent` (whole path `path`) without following a link;
// `refused` when the name is a link or not a folder.
UniqueFd OpenFolder(const UniqueFd& parent, const std::string& name, const std::string& path, bool& refused,
                    int& error);

enum class EntryKind { kNone, kFolder, kOther };

// What the name `name` of `folder` (whole path `path`) is, a link not followed.
EntryKind KindOf(const UniqueFd& folder, const std::string& name, const std::string& path);

// Creates the new file `name` in `folder` (whole path `path`), never through a link, and
// holds it as a temporary. `error` is EEXIST when the name is taken.
UniqueFd CreateTemporary(const UniqueFd& folder, const std::string& name, const std::string& path, int& error);

// The name PendingFile renames and removes the entry `name` of the folder `folderPath` by.
std::string PendingName(const std::string& folderPath, const std::string& name);

}  // namespace krax::destination_system
