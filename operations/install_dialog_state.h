// What the install dialog shows and lets the user change. The operation fills it, the
// window (or kraxctl, or a test) shows it and hands back the edited destination and ID.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace krax {

struct InstallDialogState {
  int mode = 0;                    // the InstallMode (0 car from folder ... 3 track from archive)
  std::string title;               // the dialog's title
  std::vector<std::string> files;  // display names, in list order
  std::string lengthLine;          // "(Total Length = %dKB)"
  std::vector<std::string> notes;  // what was left out and why, duplicates, a disabled car
  std::string destinationBase;     // editable; ".." browses for it
  std::string id;                  // editable; the new folder's name
  bool offerActivate = false;      // a track install: the "Activate it" check box is shown
  bool activate = false;           // ticked: the slot switches to the new track once it is in
  // Called on OK with the edited values: false keeps the dialog open (the user has been told
  // why through the prompts, or declined a question). Nothing is written before it is true.
  std::function<bool(const InstallDialogState&)> accept;
};

}  // namespace krax
