// Reading files that a user's folder may hold next to symbolic links, FIFOs, sockets and
// devices: only regular files are ever opened, never through a link, and the open never
// blocks (a FIFO would wait for a writer for ever).
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/unique_fd.h"

namespace krax {

enum class EntryKind {
  kMissing,
  kRegularFile,
  kFolder,
  kLink,     // a symbolic link, whatever it points to
  kFifo,
  kSocket,
  kDevice,
  kOther,
};

// What `path` itself is; a symbolic link is not followed.
EntryKind KindOfEntry(std::string_view path);

// "a symbolic link", "a FIFO", "a socket", "a device", ... for messages.
const char* EntryKindText(EntryKind kind);

// Opens a regular file for reading, never through a symbolic link and never a special file
// (the path is checked before and after the open). An invalid descriptor, with the system
// error in `error` (ELOOP for a link, EINVAL for anything else that is no regular file).
UniqueFd OpenRegularFile(std::string_view path, int& error);

// Copies the regular file `from` (opened as above) to the new file `to`, which must not
// exist, keeping the modification time. A partly written `to` is removed on failure.
FsResult CopyRegularFile(std::string_view from, std::string_view to);

}  // namespace krax
