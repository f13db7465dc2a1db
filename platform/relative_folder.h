// Folders opened one below the other without ever following a link, and files written in
// them: the steps of writing below a destination folder without ever leaving it. On
// POSIX every name is opened relative to its open parent; on Windows, where handles work on
// full paths, each step is given the whole path too and a folder stays open without delete
// sharing so it cannot be swapped for a link meanwhile. Each returns the system's error as
// an errno value through `error`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/unique_fd.h"

namespace krax::relative_folder {

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

// The name the file `name` of the folder `folderPath` is renamed and removed by.
std::string PendingName(const std::string& folderPath, const std::string& name);

// Writes all of `data` to the open file; false when the system refused some of it.
bool WriteAll(const UniqueFd& file, const char* data, std::size_t size);

// Removes the file `pendingName` (a PendingName) of `folder`, quietly.
void RemoveFile(const UniqueFd& folder, const std::string& pendingName);

// Dates the closed file `tempName` of `folder` (Unix seconds), makes it read-only when
// asked and renames it over `finalName` (both PendingNames); a link of the final name is
// replaced, never written through. False with `error` set when the rename failed.
bool PlaceFile(const UniqueFd& folder, const std::string& tempName, const std::string& finalName, std::int64_t modified,
               bool readOnly, int& error);

}  // namespace krax::relative_folder
