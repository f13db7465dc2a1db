// The zip and cabinet helpers behind one small interface: what the installs read from a zip
// or cabinet file and what packing writes. The format is chosen once (ArchiveFormatFor); the
// code that reads or writes through it never asks which one it has.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "archive/archive_callbacks.h"
#include "archive/archive_entry_sizes.h"
#include "archive/archive_name_list.h"
#include "archive/cabinet_create.h"
#include "operations/archive_kind.h"

namespace krax {

// What extracting some entries of an archive came to.
struct EntryExtraction {
  // Why the archive could not be read at all ("" when it could); nothing was extracted then.
  std::string problem;
  // The entries that were not extracted, by their stored names, each with the reason.
  std::vector<std::pair<std::string, std::string>> failed;
  bool ok() const { return problem.empty() && failed.empty(); }
};

// What writing an archive came to.
struct ArchiveWriting {
  bool ok = false;
  bool stopped = false;                     // the user asked to stop: nothing was written
  std::string message;                      // the reason of a failure
  std::vector<std::string> followingParts;  // a cabinet set's further files (Name1.CAB, ...)
};

class ArchiveFormat {
 public:
  virtual ~ArchiveFormat() = default;

  virtual ArchiveKind kind() const = 0;
  // The ending of the archives packing writes: ".zip" or ".CAB".
  virtual std::string_view extension() const = 0;
  // The command that packs into this format: "Create Zip" or "Create Cabinet".
  virtual std::string_view packCommand() const = 0;

  // The entries of the archive (at most `capacity`); false when it is no readable archive of
  // this format, or was not walked to its end.
  virtual bool ListEntries(const std::string& path, ArchiveNameList& names, std::size_t capacity) const = 0;
  // The declared sizes of its entries, in the archive's order.
  virtual void ListEntrySizes(const std::string& path, std::vector<ArchiveEntrySize>& entries) const = 0;
  // For an archive whose listing failed: why nothing of it can be installed (a cabinet read
  // in part only: a later cabinet of its set missing, or a walk started at a later one), or
  // "" when what was listed can be. `capacity` as given to ListEntries.
  virtual std::string PartlyReadProblem(const std::string& path, const ArchiveNameList& listed,
                                        std::size_t capacity) const = 0;
  // Extracts the entries named in `entries` (found ignoring case) into `folder`, each under
  // its base name, replacing files of the same names. `callbacks` may be null.
  virtual EntryExtraction ExtractEntries(const std::string& path, const std::vector<std::string>& entries,
                                         const std::string& folder, const ArchiveCallbacks* callbacks) const = 0;

  // Writes `files` (named relative to `sourceFolder`) as the archive `archivePath`, which
  // ends in extension(); an archive of that name is replaced only by a complete new one.
  // `cabinetOptions` are the cabinet writer's; a zip takes none.
  virtual ArchiveWriting Write(const std::string& archivePath, const std::vector<std::string>& files,
                               const std::string& sourceFolder, const CabinetCreateOptions& cabinetOptions,
                               const ArchiveCallbacks& callbacks) const = 0;
};

// The one format object of each kind.
const ArchiveFormat& ArchiveFormatFor(ArchiveKind kind);

}  // namespace krax
