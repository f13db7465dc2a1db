// "Fix Errors" (one car, from the details form) and "Fix All Errors..." (every car): what can
// be done about each error flag of a car, planned first so the user sees every change before
// anything is written, then carried out with one report.
//   "Different s.n."   the front-end entries get the number of carp.txt ("Write")
//   "Duplicate s.n."   a new number unique among all cars, written into carp.txt and every
//                      front-end entry (carp.txt may change length: the archive is rebuilt)
//   "Diferent Path/ID", "Path > 4"   the folder is renamed to the car ID (DIR = ID for one car)
//   "No FeData"        cannot be fixed
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "operations/operations.h"

namespace krax {

class GameData;
class Prompts;

struct CarFix {
  enum class Action {
    kWriteFedataSerial,  // the front-end entries get `serial` (carp.txt already holds it)
    kSetBothSerials,     // carp.txt and the front-end entries get `serial`
    kRenameFolder,       // the car's folder becomes `folder`
    kCannot,             // `reason` says why not
  };
  std::size_t slot = 0;
  std::string car;  // the car's ID and folder, for the plan and the report
  std::uint32_t flags = 0;  // the flags this fix is about
  Action action = Action::kCannot;
  std::uint16_t serial = 0;
  std::string folder;       // the new folder (full path) for kRenameFolder
  std::string shownFolder;  // the same below CarModel ("Classics/GLYD"), as the plan shows it
  std::string reason;

  // One line: "<car>: Duplicate s.n. -> serial number 1234 written into carp.txt and front-end data".
  std::string Describe() const;
};

struct FixPlan {
  std::vector<CarFix> fixes;  // changes first in table order; then what cannot be done
  bool HasChanges() const;
  std::string Text() const;  // one line per fix
};

// True when the car in `slot` carries a flag that a fix would change.
bool HasFixableFlag(const GameData& data, std::size_t slot);

// The plan for the cars in `slots` (every used slot for Fix All). New serial numbers are
// chosen here, unique among all cars and among each other.
FixPlan PlanCarFixes(GameData& data, const std::vector<std::size_t>& slots);

struct FixRun {
  OperationResult result;  // message: "3 errors fixed, 1 not fixed."; failed when a change failed
  std::string details;     // "Fixed:" and "Not fixed:" lines
};

// Carries out the plan's changes: serial numbers first, folder renames after them. Ends with
// `reload` when something was changed.
FixRun RunCarFixes(GameData& data, const FixPlan& plan, const std::function<void()>& reload);

// The command: plans for `slots` (all cars when empty), shows the plan and asks, then runs it
// and shows one report. `command` is "Fix Errors" or "Fix All Errors".
OperationResult FixCarErrors(GameData& data, Prompts& prompts, const std::vector<std::size_t>& slots,
                             const std::string& command, const std::function<void()>& reload);

// The question that shows the plan.
std::string FixQuestion(const FixPlan& plan);

}  // namespace krax
