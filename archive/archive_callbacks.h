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
  // Asked between pieces of long work (possibly from a worker thread): true once the user
  // asked to stop; the work then ends without a result.
  std::function<bool()> stopRequested;
  bool StopRequested() const { return stopRequested && stopRequested(); }
};

// The busy cursor from the start of an operation to its return (no callbacks: nothing).
class BusyScope {
 public:
  explicit BusyScope(const ArchiveCallbacks* callbacks) : callbacks_(callbacks) { Set(true); }
  ~BusyScope() { Set(false); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  void Set(bool busy) const {
    if (callbacks_ && callbacks_->busy) callbacks_->busy(busy);
  }

 private:
  const ArchiveCallbacks* callbacks_;
};

// Asks "File %s exist. Overwrite ?" with the busy cursor lifted while the user answers;
// without askYesNo the answer is No.
inline bool AskOverwrite(const ArchiveCallbacks& callbacks, const BusyScope& busy, const std::string& path) {
  const std::string question = "File " + path + " exist. Overwrite ?";
  busy.Set(false);
  const bool yes = callbacks.askYesNo && callbacks.askYesNo(question);
  busy.Set(true);
  return yes;
}

}  // namespace krax
