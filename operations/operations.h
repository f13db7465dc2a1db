// The commands the window and kraxctl run on the game folder. Every change to the game
// folder goes through this interface; the window only decides what to show and when to reload.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "operations/item_ref.h"

namespace krax {

enum class OperationStatus {
  kDone,          // the command finished and changed what it should
  kCancelled,     // the user stopped it; nothing changed
  kFailed,        // it ran and failed; `message` may say why
};

struct OperationResult {
  OperationStatus status = OperationStatus::kDone;
  std::string command;  // the command's name as the menus show it, e.g. "Install Car"
  std::string message;  // optional detail for the user

  bool done() const { return status == OperationStatus::kDone; }
};

// What both front ends tell the user about a result: the message, or "<command> failed" for a
// failure without one. Empty when there is nothing to tell.
std::string ResultText(const OperationResult& result);

enum class InstallMode;  // install_plan.h
struct FixPlan;          // car_fixes.h
struct FixRun;
struct SerialGeneration;  // serial_numbers.h

// Reloads the catalogs (and what shows them) from disk, for the commands that change car
// folders part way through: each front end gives its own.
using ReloadCatalog = std::function<void()>;

class Operations {
 public:
  virtual ~Operations() = default;

  // Double clicks in the tree. `item` is the tree item (SwitchTrack takes a track folder).
  virtual OperationResult ToggleCar(CarSlot car) = 0;
  virtual OperationResult SwitchTrack(ItemRef item) = 0;
  virtual OperationResult RunItemEditor(ItemRef item) = 0;

  // Menu and toolbar commands of the main window.
  virtual OperationResult InstallCar() = 0;
  virtual OperationResult InstallTrack() = 0;
  virtual OperationResult InstallCarFromCompressed() = 0;
  virtual OperationResult InstallTrackFromCompressed() = 0;
  virtual OperationResult RestoreCars() = 0;
  virtual OperationResult RestoreTracks() = 0;
  virtual OperationResult RestoreStrings() = 0;
  virtual OperationResult RenameDirsToName() = 0;
  virtual OperationResult RenameDirsToId() = 0;
  virtual OperationResult RunGame() = 0;
  virtual OperationResult OpenStringEditor() = 0;
  // One string of the game text replaced and the file saved at once (kraxctl strings set); a
  // damaged file only with `saveDamaged` (the strings that point outside it are saved empty).
  virtual OperationResult ReplaceGameString(std::size_t index, const std::string& text, bool saveDamaged) = 0;

  // Buttons of the details form, for the item shown there. `directory`, `name` and `id` are
  // the form's Directory, Name and ID values.
  virtual OperationResult RestoreItemFromCd(ItemRef item, const std::string& directory,
                                            const std::string& id) = 0;
  virtual OperationResult CreateZip(ItemRef item, const std::string& directory,
                                    const std::string& name) = 0;
  virtual OperationResult CreateCabinet(ItemRef item, const std::string& directory,
                                        const std::string& name) = 0;

  // The car's data: the details form's "Write", "Police Car: " and "Fix Errors", and the
  // commands "Fix All Errors..." and "Generate S.N." (operations/serial_numbers.h,
  // operations/police_flag.h and operations/car_fixes.h say what each does).
  virtual OperationResult WriteSerialNumber(CarSlot car, long long value) = 0;
  virtual OperationResult SetPoliceFlag(CarSlot car, bool police) = 0;
  // Plans the fixes of `cars` ("Fix Errors"), or of every car when it is empty ("Fix All
  // Errors"), shows the plan, asks, runs it and reports.
  virtual OperationResult FixCarErrors(const std::vector<CarSlot>& cars, const ReloadCatalog& reload) = 0;
  // Carries out a plan the front end has already shown and the user agreed to.
  virtual FixRun RunFixPlan(const FixPlan& plan, const ReloadCatalog& reload) = 0;
  // Shows which cars would get a new number, asks, writes.
  virtual SerialGeneration GenerateSerials(const ReloadCatalog& reload) = 0;

  // An install from a folder or file the user already named (dropped on the window), as
  // `mode`, or without one as the content asks (a car when it holds a ".viv" file, else a
  // track).
  virtual OperationResult InstallFromPath(std::optional<InstallMode> mode, const std::string& source) = 0;
  // Repeats the track switches that were cut short (a journal in the slot folder shows them)
  // and tells the user. Called before every load of the track catalog.
  virtual OperationResult ResumeInterruptedSwitches() { return {}; }

  // Profiles: saved sets of enabled cars and active tracks, and the stock game. Applying
  // shows the changes, asks, and runs them as toggles and switches. Remove moves an add-on
  // car or track folder to the trash.
  virtual OperationResult SaveProfile(const std::string& name) = 0;
  virtual OperationResult ApplyProfile(const std::string& name) = 0;
  virtual OperationResult ApplyStockGame() = 0;
  virtual OperationResult ShowProfile(const std::string& name) = 0;  // the message lists the profile
  virtual OperationResult DeleteProfile(const std::string& name) = 0;
  virtual std::vector<std::string> ProfileNames() = 0;
  virtual OperationResult RemoveItems(const std::vector<ItemRef>& items) = 0;
};

}  // namespace krax
