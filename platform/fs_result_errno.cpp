#include "platform/fs_result_errno.h"

#include <cerrno>

namespace krax::fs_result {

FsResult FromErrno(int error) {
  FsResult r;
  r.systemError = error;
  switch (error) {
    case EEXIST:
    case ENOTEMPTY:
      r.status = FsStatus::kAlreadyExists;
      break;
    case ENOENT:
      r.status = FsStatus::kNotFound;
      break;
    default:
      r.status = FsStatus::kFailed;
      break;
  }
  return r;
}

FsResult Failed(int error) {
  FsResult r;
  r.status = FsStatus::kFailed;
  r.systemError = error;
  return r;
}

}  // namespace krax::fs_result
