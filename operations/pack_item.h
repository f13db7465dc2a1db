// "Create Zip" and "Create Cabinet": the files of a car's or track's folder (not its
// sub-folders) packed into the archive folder, named after the item.
#pragma once

#include <string>
#include <vector>

#include "archive/archive_callbacks.h"
#include "archive/cabinet_create.h"
#include "operations/archive_kind.h"
#include "operations/item_ref.h"

namespace krax {

struct CarRecord;

// The name a car's archive is given: the car's name from its front-end data, as UTF-8 like
// every file name; a car without one is named after its folder.
std::string CarArchiveName(const CarRecord& car);

struct PackRequest {
  ArchiveKind kind = ArchiveKind::kZip;
  ItemRef item;               // a car (directory is its VIV file) or a track; a group packs nothing
  std::string directory;      // the form's Directory
  std::string name;           // the form's Name: the archive's name
  std::string archiveFolder;  // CPATH
};

struct PackPlan {
  std::string problem;             // why nothing can be packed ("" when it can)
  ArchiveKind kind = ArchiveKind::kZip;
  std::string sourceFolder;
  std::vector<std::string> files;  // full paths: the folder's regular files
  // What is neither a file nor a folder, with what it is ("x (a symbolic link)"): links are
  // never followed and FIFOs, sockets and devices never opened, so these are not packed.
  std::vector<std::string> leftOut;
  std::string archivePath;         // the file written: .../Name.zip or .../Name.CAB
  CabinetCreateOptions cabinetOptions;  // the program's own; tests ask for smaller cabinets
};

struct PackResult {
  bool ok = false;
  std::string archivePath;
  std::vector<std::string> followingParts;  // a cabinet set's further files (Name1.CAB, ...)
  std::string message;  // the reason of a failure
  bool stopped = false;  // the user asked to stop: nothing was written
};

// Checks the request and lists the files; nothing is written.
PackPlan PlanPack(const PackRequest& request);

// Writes the archive of a plan without a problem. An existing archive of that name is
// replaced only by a complete new one. Safe to run off the interface thread when the
// callbacks are.
PackResult RunPack(const PackPlan& plan, const ArchiveCallbacks& callbacks);

}  // namespace krax
