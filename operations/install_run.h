// The install itself, once the user confirmed the dialog: stages the listed files in a
// temporary folder beside the destination and moves them into place only when every one
// is complete, so that a failed install leaves the game folder as it was.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "archive/archive_callbacks.h"
#include "operations/install_plan.h"

namespace krax {

// Why `id` cannot name the new folder ("" when it can). A track's ID is never "Original",
// in any letter case: that folder keeps the slot's own track.
std::string InstallIdProblem(const std::string& id, bool track = false);

struct InstallOutcome {
  std::string destination;
  std::vector<std::string> installed;                          // display names
  std::vector<std::pair<std::string, std::string>> failed;     // (display name, reason)
  std::string problem;                                         // a failure of the whole install
  std::vector<std::string> notes;                              // said after a complete install
  bool ok() const { return problem.empty() && failed.empty(); }
  // What the user reads: where the files went or, after a failure, why nothing did.
  std::string Summary() const;
};

// Installs the plan's files into `destination` (its parent must exist; the folder itself is
// created when missing). Existing files of the same names are replaced; a car archive takes
// the name of the one already there (KeptCarArchiveName). Either every file
// arrives or none: on any failure the destination is as it was before.
InstallOutcome RunInstall(const InstallPlan& plan, const std::string& destination,
                          const ArchiveCallbacks& callbacks = {});

}  // namespace krax
