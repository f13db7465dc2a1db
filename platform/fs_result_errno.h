// FsResult from an errno value, for the file_system implementations of every system.
#pragma once

#include "platform/file_system.h"

namespace krax::fs_result {

// kAlreadyExists for EEXIST and ENOTEMPTY, kNotFound for ENOENT, else kFailed; with `error`.
FsResult FromErrno(int error);

// kFailed with `error`, whatever it is.
FsResult Failed(int error);

}  // namespace krax::fs_result
