// Operations that answer every command with "<command> is not available yet.", for tests and
// benchmarks of the window that must not touch a game folder.
#pragma once

#include <string>
#include <vector>

#include "operations/car_fixes.h"
#include "operations/operations.h"
#include "operations/serial_numbers.h"

namespace krax::test {

class PendingOperations : public Operations {
 public:
  OperationResult ToggleCar(CarSlot) override { return Pending("Enable/Disable Car"); }
  OperationResult SwitchTrack(ItemRef) override { return Pending("Switch Track"); }
  OperationResult RunItemEditor(ItemRef) override { return Pending("Run Editor"); }
  OperationResult InstallCar() override { return Pending("Install Car"); }
  OperationResult InstallTrack() override { return Pending("Install Track"); }
  OperationResult InstallCarFromCompressed() override { return Pending("Install Car From Comp."); }
  OperationResult InstallTrackFromCompressed() override { return Pending("Install Track From Comp."); }
  OperationResult RestoreCars() override { return Pending("Restore Cars"); }
  OperationResult RestoreTracks() override { return Pending("Restore Tracks"); }
  OperationResult RestoreStrings() override { return Pending("Restore strings"); }
  OperationResult RenameDirsToName() override { return Pending("DIR = NAME"); }
  OperationResult RenameDirsToId() override { return Pending("DIR = ID"); }
  OperationResult RunGame() override { return Pending("Run KRAX"); }
  OperationResult OpenStringEditor() override { return Pending("KRAX String Edit"); }
  OperationResult ReplaceGameString(std::size_t, const std::string&, bool) override {
    return Pending("KRAX String Edit");
  }
  OperationResult RestoreItemFromCd(ItemRef, const std::string&, const std::string&) override {
    return Pending("Restore From CD");
  }
  OperationResult CreateZip(ItemRef, const std::string&, const std::string&) override { return Pending("Create Zip"); }
  OperationResult CreateCabinet(ItemRef, const std::string&, const std::string&) override {
    return Pending("Create Cabinet");
  }
  OperationResult InstallFromPath(std::optional<InstallMode>, const std::string&) override {
    return Pending("Install");
  }
  OperationResult WriteSerialNumber(CarSlot, long long) override { return Pending("Write"); }
  OperationResult SetPoliceFlag(CarSlot, bool) override { return Pending("Police Car"); }
  OperationResult FixCarErrors(const std::vector<CarSlot>& cars, const ReloadCatalog&) override {
    return Pending(cars.empty() ? "Fix All Errors" : "Fix Errors");
  }
  FixRun RunFixPlan(const FixPlan&, const ReloadCatalog&) override { return {Pending("Fix Errors"), {}}; }
  SerialGeneration GenerateSerials(const ReloadCatalog&) override { return {Pending("Generate S.N."), {}}; }
  OperationResult SaveProfile(const std::string&) override { return Pending("Save Profile"); }
  OperationResult ApplyProfile(const std::string&) override { return Pending("Apply Profile"); }
  OperationResult ApplyStockGame() override { return Pending("Stock Game"); }
  OperationResult ShowProfile(const std::string&) override { return Pending("Show Profile"); }
  OperationResult DeleteProfile(const std::string&) override { return Pending("Delete Profile"); }
  std::vector<std::string> ProfileNames() override { return {}; }
  OperationResult RemoveItems(const std::vector<ItemRef>&) override { return Pending("Remove"); }

 private:
  static OperationResult Pending(const std::string& command) {
    return {OperationStatus::kFailed, command, command + " is not available yet."};
  }
};

}  // namespace krax::test
