// The nine options KRAXManager keeps from one run to the next. Read once at start-up,
// written back only when the user confirms the Options dialog.
#pragma once

#include <string>

namespace krax {

inline constexpr const char* kDefaultShellAction = "Default Shell Action";

struct Settings {
  // Section "PATH"
  std::string gameFolder;                         // KRAXPath: the game folder
  std::string cdPath;                             // KRAXCDPath: where the game CD is
  std::string carEditor = kDefaultShellAction;    // KRAXCarEdit: run on a car's right double click
  std::string trackEditor = kDefaultShellAction;  // KRAXTrackEdit: run on an add-on track's right double click
  std::string archiveFolder;                      // CPATH: default folder for created archives
  // Section "OTHER" (stored as 0 or 1)
  bool flagDuplicateSerials = true;   // DUPL_SN: flag cars whose serial number another car uses
  bool flagDifferingSerials = false;  // NEQ: flag cars whose two serial numbers differ
  bool flagLongFolderNames = false;   // Path_4: flag cars whose folder name is longer than four characters
  bool kraxText = false;              // KRAXText: the game text functions are enabled

  bool operator==(const Settings&) const = default;
};

}  // namespace krax
