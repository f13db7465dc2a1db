// Listing and extracting the entries of a cabinet file through the cabinet reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "archive/archive_callbacks.h"
#include "archive/archive_name_list.h"
#include "archive/archive_status.h"

namespace krax {

// Stores the name of every entry (empty files too; UTF-8 as for extraction), in cabinet
// order, at most `capacity` of them (`names` is cleared first).
// True when the whole cabinet was walked.
// A cabinet of a set is walked with every following cabinet of the set.
bool ListCabinetEntries(const std::string& cabPath, ArchiveNameList& names, std::size_t capacity,
                        const ArchiveCallbacks* callbacks = nullptr);
// The same, with the reason of a failure in `result`.
bool ListCabinetEntries(const std::string& cabPath, ArchiveNameList& names, std::size_t capacity,
                        const ArchiveCallbacks* callbacks, ArchiveResult& result);

// Extracts the entries whose names match one of `names` (ignoring case) into `destFolder`,
// which must exist; stored sub-folders are created below it. Each file gets the entry's
// date and time (local time) and its read-only attribute (the mask 0x27 of the others has
// no meaning here). A file replaces an existing one only once it is complete. A stored name
// that would land outside `destFolder`, or a path through a link inside it, ends the walk
// with failure. Names are UTF-8 when the entry is marked so, else read in Windows-1252.
// A cabinet of a set is walked with every following cabinet of the set; a walk cannot
// start at a later cabinet (the failure names the set's first one), and a missing or
// foreign following cabinet fails it, named.
bool ExtractCabinetEntries(const std::string& cabPath, const ArchiveNameList& names,
                           const std::string& destFolder, const ArchiveCallbacks* callbacks = nullptr);
bool ExtractCabinetEntries(const std::string& cabPath, const ArchiveNameList& names,
                           const std::string& destFolder, const ArchiveCallbacks* callbacks,
                           ArchiveResult& result);

namespace cab {

// The detailed form used by kraxctl: walks the cabinet and every following cabinet of its set.
struct CabExtractRequest {
  std::string cabPath;
  std::string destFolder;
  // Which entries to write (all when empty).
  std::function<bool(const std::string& storedName)> wanted;
  // Called for a wanted entry whose name is unsafe; the entry is then skipped. Without it
  // an unsafe name fails the walk.
  std::function<void(const std::string& storedName)> refused;
  // Called after each file is complete, with the path written.
  std::function<void(const std::string& storedName, const std::string& path)> extracted;
  const ArchiveCallbacks* callbacks = nullptr;
  // Writes every file directly into destFolder under the last component of its name.
  bool withoutFolders = false;
};

// The failure's text for the user is the result's Message().
ArchiveResult ExtractCabinet(const CabExtractRequest& request);

}  // namespace cab
}  // namespace krax
