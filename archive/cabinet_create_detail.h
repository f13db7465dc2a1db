// Cabinet creation for tests: the same as CreateCabinetArchive with smaller format limits,
// to reach the cases of a full cabinet or folder quickly.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/cab/cab_writer.h"
#include "archive/cabinet_create.h"

namespace krax {

bool CreateCabinetArchiveWithLimits(const std::string& cabinetBase, const std::vector<std::string>& files,
                                    const std::optional<std::string>& baseFolder, bool overwrite,
                                    const ArchiveCallbacks& callbacks, const CabinetCreateOptions& options,
                                    const cab::CabWriterLimits& limits, ArchiveResult& result,
                                    std::vector<std::string>* written = nullptr);

}  // namespace krax
