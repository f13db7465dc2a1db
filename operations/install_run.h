// The install itself, once the user confirmed the dialog: creates the destination folder and
// copies or extracts the listed files into it, reporting what arrived and what did not.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "archive/archive_callbacks.h"
#include "operations/install_plan.h"

namespace krax {

// Why `id` cannot name the new folder ("" when it can).
std::string InstallIdProblem(const std::string& id);

struct InstallOutcome {
  std::string destination;
  std::vector<std::string> installed;                          // display names
  std::vector<std::pair<std::string, std::string>> failed;     // (display name, reason)
  std::string problem;                                         // a failure of the whole install
  bool ok() const { return problem.empty() && failed.empty(); }
  // What the user reads: where the files went and, after a failure, what is missing.
  std::string Summary() const;
};

// Installs the plan's files into `destination` (its parent must exist; the folder itself is
// created when missing). Existing files of the same names are replaced.
InstallOutcome RunInstall(const InstallPlan& plan, const std::string& destination,
                          const ArchiveCallbacks& callbacks = {});

}  // namespace krax
