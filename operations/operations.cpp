#include "operations/operations.h"

namespace krax {

std::string NotAvailableText(const OperationResult& result) {
  return result.command + " is not available yet.";
}

OperationResult Operations::InstallFromPath(int, const std::string&) {
  return {OperationStatus::kNotAvailable, "Install", {}};
}

OperationResult Operations::SaveProfile(const std::string&) { return {OperationStatus::kNotAvailable, "Save Profile", {}}; }
OperationResult Operations::ApplyProfile(const std::string&) { return {OperationStatus::kNotAvailable, "Apply Profile", {}}; }
OperationResult Operations::ApplyStockGame() { return {OperationStatus::kNotAvailable, "Stock Game", {}}; }
OperationResult Operations::ShowProfile(const std::string&) { return {OperationStatus::kNotAvailable, "Show Profile", {}}; }
OperationResult Operations::DeleteProfile(const std::string&) { return {OperationStatus::kNotAvailable, "Delete Profile", {}}; }
OperationResult Operations::RemoveItems(const std::vector<int>&) { return {OperationStatus::kNotAvailable, "Remove", {}}; }

namespace {
OperationResult Pending(const char* command) {
  return {OperationStatus::kNotAvailable, command, {}};
}
}  // namespace

OperationResult PendingOperations::ToggleCar(int) { return Pending("Enable/Disable Car"); }
OperationResult PendingOperations::SwitchTrack(int) { return Pending("Switch Track"); }
OperationResult PendingOperations::RunItemEditor(int) { return Pending("Run Editor"); }
OperationResult PendingOperations::InstallCar() { return Pending("Install Car"); }
OperationResult PendingOperations::InstallTrack() { return Pending("Install Track"); }
OperationResult PendingOperations::InstallCarFromCompressed() {
  return Pending("Install Car From Comp.");
}
OperationResult PendingOperations::InstallTrackFromCompressed() {
  return Pending("Install Track From Comp.");
}
OperationResult PendingOperations::RestoreCars() { return Pending("Restore Cars"); }
OperationResult PendingOperations::RestoreTracks() { return Pending("Restore Tracks"); }
OperationResult PendingOperations::RestoreStrings() { return Pending("Restore strings"); }
OperationResult PendingOperations::RenameDirsToName() { return Pending("DIR = NAME"); }
OperationResult PendingOperations::RenameDirsToId() { return Pending("DIR = ID"); }
OperationResult PendingOperations::RunGame() { return Pending("Run KRAX"); }
OperationResult PendingOperations::OpenStringEditor() { return Pending("KRAX String Edit"); }
OperationResult PendingOperations::RestoreItemFromCd(int, const std::string&, const std::string&) {
  return Pending("Restore From CD");
}
OperationResult PendingOperations::CreateZip(int, const std::string&, const std::string&) {
  return Pending("Create Zip");
}
OperationResult PendingOperations::CreateCabinet(int, const std::string&, const std::string&) {
  return Pending("Create Cabinet");
}

}  // namespace krax
