#include <cerrno>
#include <cstring>

#include "platform/output_file.h"
#include "platform/replace_file.h"

namespace krax {

FsResult PlaceFinishedFile(std::string_view finished, std::string_view target) {
  const OutputCheck check = CheckOutput(target);
  switch (check.use) {
    case OutputCheck::Use::kReplace:
      return ReplaceFileWith(finished, target);
    case OutputCheck::Use::kWriteInPlace: {
      const std::optional<std::string> bytes = ReadWholeFile(finished);
      if (!bytes) return {FsStatus::kFailed, EIO};
      const FsResult written = WriteInPlace(target, *bytes);
      if (written) DeleteFile(finished);
      return written;
    }
    case OutputCheck::Use::kRefuse:
      break;
  }
  return {FsStatus::kFailed, check.error};
}

std::string OutputFailureText(std::string_view path, const FsResult& result) {
  const OutputCheck check = CheckOutput(path);
  if (check.use == OutputCheck::Use::kRefuse) return check.problem;
  return std::strerror(result.systemError ? result.systemError : EIO);
}

}  // namespace krax
