// How the archive helpers reach the user without knowing who the user is: the operations
// adapt their Prompts to this, kraxctl writes to the terminal, tests record the calls.
#pragma once

#include <functional>
#include <string>

namespace krax {

struct ArchiveCallbacks {
  std::function<void(const std::string& text)> status;            // status-line text
  std::function<bool(const std::string& question)> askYesNo;      // true = Yes
  std::function<void(bool busy)> busy;                             // busy cursor on/off
};

}  // namespace krax
