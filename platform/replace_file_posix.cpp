#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/replace_file.h"

namespace krax {

FsResult ReplaceFileWith(std::string_view from, std::string_view to) {
  if (std::rename(std::string(from).c_str(), std::string(to).c_str()) == 0) return {};
  return {errno == ENOENT ? FsStatus::kNotFound : FsStatus::kFailed, errno};
}

}  // namespace krax
