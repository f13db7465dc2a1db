// Files a command writes where the user said: what is at that name decides how it is
// written. A plain file (or nothing) is replaced by a complete new one; a character device
// (/dev/null, a terminal, NUL) and the process's own streams named by the system (/dev/stdout,
// /dev/fd/N) are written in place, never replaced; a folder, a FIFO, a socket, a block
// device and a read-only file are refused, and so is a symbolic link: the user names the
// file it points to.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace krax {

struct OutputCheck {
  enum class Use {
    kReplace,       // nothing there, or a plain file: written beside it and put in its place
    kWriteInPlace,  // a device or stream: opened and written as it is
    kRefuse,        // see `problem`
  };
  Use use = Use::kReplace;
  std::string problem;  // "/x is a folder", "/x is a symbolic link to /y; name /y itself to write it"
  int error = 0;        // the errno a refused write reports (EISDIR, ELOOP, ENODEV, EACCES)
};

OutputCheck CheckOutput(std::string_view path);

// Writes `bytes` into the device or stream at `path` as it is (CheckOutput said so).
FsResult WriteInPlace(std::string_view path, std::string_view bytes);

// Puts the complete file `finished` (a temporary beside `target`) where the user wants it:
// replaces a plain file, writes a device in place (and deletes `finished`), refuses anything
// else with CheckOutput's error.
FsResult PlaceFinishedFile(std::string_view finished, std::string_view target);

// Why writing `path` failed with `result`, for a message: CheckOutput's problem when it
// refuses the name, else the system's text for the error.
std::string OutputFailureText(std::string_view path, const FsResult& result);

}  // namespace krax
