// The parts of the trash that are the same on every system.
#include <filesystem>

#include "platform/trash.h"

namespace krax {

FsResult DeleteForGood(std::string_view path) {
  std::error_code error;
  std::filesystem::remove_all(std::filesystem::path(std::string(path)), error);
  FsResult result;
  if (error) {
    result.status = FsStatus::kFailed;
    result.systemError = error.value();
  }
  return result;
}

}  // namespace krax
