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
  std::string CPATH;                               // default folder for created archives
  // Section "OTHER" (0 or 1)
  int DUPL_SN = 1;   // flag cars whose serial number another car uses
  int NEQ = 0;       // flag cars whose two serial numbers differ
  int Path_4 = 0;    // flag cars whose folder name is longer than four characters
  int KRAXText = 0;  // game text functions enabled

  bool operator==(const Settings&) const = default;
};

}  // namespace krax
