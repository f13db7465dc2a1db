// The nine options KRAXManager keeps from one run to the next. Read once at start-up,
// written back only when the user confirms the Options dialog.
#pragma once

#include <string>

namespace krax {

inline constexpr const char* kDefaultShellAction = "Default Shell Action";

struct Settings {
  // Section "PATH"
  std::string KRAXPath;                            // the game folder
  std::string KRAXCDPath;                          // where the game CD is
  std::string KRAXCarEdit = kDefaultShellAction;   // run on a car's right double click
  std::string KRAXTrackEdit = kDefaultShellAction; // run on an add-on track's right double click
  std::string ArchiveFolder;                       // CPATH: default folder for created archives
  // Section "OTHER" (stored as 0 or 1)
  bool FlagDuplicateSerials = true;   // DUPL_SN: flag cars whose serial number another car uses
  bool FlagDifferingSerials = false;  // NEQ: flag cars whose two serial numbers differ
  bool FlagLongFolderNames = false;   // Path_4: flag cars whose folder name is longer than four characters
  bool KRAXText = false;              // the game text functions are enabled

  bool operator==(const Settings&) const = default;
};

}  // namespace krax
