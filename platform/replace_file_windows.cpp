#include <cerrno>

#include "platform/replace_file.h"
#include "platform/windows_support.h"

namespace krax {

FsResult ReplaceFileWith(std::string_view from, std::string_view to) {
  if (::MoveFileExW(win::SystemPath(from).c_str(), win::SystemPath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return {};
  }
  const int error = win::LastErrno();
  return {error == ENOENT ? FsStatus::kNotFound : FsStatus::kFailed, error};
}

}  // namespace krax
