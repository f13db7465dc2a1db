// Every change to a car archive goes through here: the archive is read whole, checked, changed
// in memory and written complete to a new file beside it, which then replaces it. A kill
// leaves the old archive or the new one, never a mix; a car.viv hard-linked into another
// folder is replaced, not written through, so the other folder keeps its archive; a
// read-only archive (its permission bits, whoever runs the program) and a damaged one are
// refused and stay as they are.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krax {

enum class VivWriteStatus {
  kOk,
  kUnreadable,  // the archive cannot be read
  kDamaged,     // its header or directory is unsound (VivDirectory::damaged), or data lies outside the file
  kNoEntry,     // the entry to replace is missing, or a field lies outside its entry
  kTooLarge,    // the new archive would pass the 32-bit offsets
  kReadOnly,    // the archive is read-only
  kFailed,      // writing or replacing failed; see systemError
};

struct VivWriteResult {
  VivWriteStatus status = VivWriteStatus::kOk;
  int systemError = 0;
  bool ok() const { return status == VivWriteStatus::kOk; }
  explicit operator bool() const { return ok(); }
  // Why the archive was not written, for the user: "the archive is read-only".
  std::string Reason() const;
};

// The same bytes written at `position` of every entry whose name `select` accepts.
struct VivFieldWrite {
  std::function<bool(std::string_view name)> select;
  std::uint32_t position = 0;
  std::string bytes;
};

// One change of an archive: optionally the data of the first entry named exactly `entryName`
// replaced by `entryData` (of any length), then the field writes.
struct VivEdit {
  std::string entryName;
  std::optional<std::string> entryData;
  std::vector<VivFieldWrite> fields;
};

// The archive image `archive` with `edit` applied; nullopt (and `status` saying why) when the
// archive is damaged, lacks a target, or would grow past the 32-bit offsets. With no entry
// replaced the layout is kept byte for byte and only the written fields differ; a replaced
// entry keeps its place, the others follow with their data unchanged.
std::optional<std::string> EditVivImage(std::string_view archive, const VivEdit& edit, VivWriteStatus& status);

// Reads the archive at `path`, applies `edit` and replaces the file with the complete result.
// On any failure the file is left as it was.
VivWriteResult EditVivArchive(std::string_view path, const VivEdit& edit);

// The carp.txt text with value 0 (the serial number) replaced by `serial`; nullopt when the
// text has no value 0.
std::optional<std::string> SetCarpSerial(std::string_view carpText, std::string_view serial);

}  // namespace krax
