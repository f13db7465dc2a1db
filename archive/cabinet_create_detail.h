// Cabinet creation for tests: the same as CreateCabinetArchive with smaller format limits,
// to reach the cases of a full cabinet or folder quickly.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/cab/cab_writer.h"
#include "archive/cabinet_create.h"

namespace krax {

// One cabinet set to write: what CreateCabinetArchive takes, and the format limits.
struct CabinetCreateJob {
  std::string cabinetBase;
  std::vector<std::string> files;
  std::optional<std::string> baseFolder;
  bool overwrite = false;
  CabinetCreateOptions options;
  cab::CabWriterLimits limits;  // the format's own unless a test asks for less
};

bool CreateCabinetArchiveWithLimits(const CabinetCreateJob& job, const ArchiveCallbacks& callbacks,
                                    ArchiveResult& result, std::vector<std::string>* written = nullptr);

}  // namespace krax
