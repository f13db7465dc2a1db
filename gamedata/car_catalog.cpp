#include "gamedata/car_catalog.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <vector>
#include <random>

#include "gamedata/car_record.h"
#include "gamedata/code_page.h"
#include "gamedata/fedata_fields.h"
#include "gamedata/game_data.h"
#include "gamedata/viv_archive.h"
#include "platform/byte_order.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/real_path.h"

namespace krax {

std::string CarFolderPath(std::string_view gameFolder) {
  return ResolvePath(JoinPath(gameFolder, "\\GameData\\CarModel"));
}

RandomSource MakeRandomSource(std::uint32_t seed) {
  auto engine = std::make_shared<std::minstd_rand>(seed == 0 ? 1 : seed);
  return [engine] { return static_cast<int>((*engine)() % 32768); };
}

namespace {

// The file `name` among `entries` of `folder` when only its capitals differ from `name`;
// "" when there is no such file or it is spelled exactly so (that spelling was tried first).
std::string FindOtherSpelling(const std::string& folder, const std::vector<DirEntry>& entries,
                              std::string_view name) {
  for (const DirEntry& entry : entries) {
    if (!entry.isFolder && entry.name != name && EqualsIgnoreCase(entry.name, name)) {
      return JoinPath(folder, entry.name);
    }
  }
  return {};
}

}  // namespace

bool IsFedataEntryName(std::string_view name) {
  return name.find("fedata") != std::string_view::npos && name != kFedataFshName;
}

std::string ReadCarIdentity(std::string_view archivePath, std::string& name) {
  VivDirectory directory;
  VivFile file = ReadVivDirectory(archivePath, directory);
  if (!file) return {};
  for (const VivEntry& entry : directory.entries) {
    std::string lower = entry.name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (!IsFedataEntryName(lower)) continue;
    const std::optional<std::string> data = ReadVivEntry(file, entry);
    if (!data) return {};
    const FedataRecord record(*data);
    name = record.name();
    return record.id();
  }
  return {};
}

// --- GameData: car records ---

GameData::GameData() : random(MakeRandomSource(std::random_device{}())) {}

std::string GameData::ReadCarpValue(int n, std::size_t slot) const {
  if (slot >= cars.size()) return {};
  const CarRecord& record = cars[slot];
  if (!record.carpText) return {};
  return krax::ReadCarpValue(*record.carpText, n);
}

std::optional<std::size_t> GameData::FindCarBySerial(long long value, std::optional<std::size_t> excluded) const {
  // Runs once per car of a load, over the cars before it: kept to a plain walk.
  if (value < 0 || value > 0xFFFF) return std::nullopt;
  for (std::size_t i = 0; i < cars.size(); ++i) {
    const CarRecord& record = cars[i];
    if (i == excluded || record.depth != 0 || !record.hasFedata()) continue;
    if (record.fedataSerial() == value) return i;
  }
  return std::nullopt;
}

bool GameData::LoadCar(std::size_t slot) {
  if (slot >= cars.size()) return false;
  CarRecord& record = cars[slot];
  VivDirectory directory;
  VivFile file = ReadVivDirectory(record.archivePath, directory);
  if (!file) return false;
  record.directory = std::move(directory);

  if (const VivEntry* carp = record.directory.find(kCarpEntryName)) {
    record.carpText = ReadVivEntry(file, *carp);
    if (record.carpText) record.carpSerial = krax::ReadCarpValue(*record.carpText, kCarpSerial);
  }

  const VivEntry* fedataEntry =
      record.directory.find(scanFedataName_.empty() ? "fedata" + languageSuffix() : scanFedataName_);
  if (fedataEntry == nullptr) {
    for (const VivEntry& entry : record.directory.entries) {
      if (IsFedataEntryName(entry.name)) {
        fedataEntry = &entry;
        break;
      }
    }
  }
  if (fedataEntry != nullptr) record.fedata = ReadVivEntry(file, *fedataEntry);
  file.Close();

  if (record.fedata) {
    std::string& bytes = *record.fedata;
    if (bytes.size() > 4) bytes[4] = '\0';  // the ID is at most four characters
    const FedataRecord fedata(bytes);
    record.carId = fedata.id();
    record.manufacturer = fedata.manufacturer();
    record.model = fedata.model();
    record.name = fedata.name();
    if (std::to_string(fedata.serial()) != record.carpSerial) record.errorFlags |= kFlagSerialsDiffer;
    const bool duplicate = serialOwner_.empty() ? FindCarBySerial(fedata.serial(), slot).has_value()
                                                : serialOwner_[fedata.serial()] >= 0 &&
                                                      serialOwner_[fedata.serial()] != static_cast<int>(slot);
    if (duplicate) record.errorFlags |= kFlagDuplicateSerial;
  } else {
    record.errorFlags |= kFlagNoFedata;
    record.name = kNoFedataName;
  }

  // The folder that holds the archive.
  const std::string folder = ParentPath(record.archivePath);
  if (!folder.empty()) {
    // Compared in the game's code page, as the game sees the folder under Wine.
    const std::string folderName = FileNameToGameText(BaseName(folder));
    if (folderName.size() > 4) record.errorFlags |= kFlagFolderOver4;
    if (!record.carId || folderName != *record.carId) record.errorFlags |= kFlagFolderNotId;
  }
  return true;
}

// --- GameData: car catalog ---

void GameData::LoadCarCatalog() {
  enabledCarCount = 0;
  const std::string folder = CarFolderPath(gameFolder_);
  serialOwner_.assign(0x10000, -1);
  scanFedataName_ = "fedata" + languageSuffix();
  ScanCarFolder(folder, 0);
  serialOwner_ = std::vector<int>();
  scanFedataName_.clear();
}

void GameData::ScanCarFolder(const std::string& folder, int depth) {
  scannedFolders_.clear();
  if (const std::optional<FolderIdentity> identity = IdentifyFolder(folder)) scannedFolders_.insert(*identity);
  ScanCarFolderAt(folder, depth);
  scannedFolders_.clear();
}

void GameData::ScanCarFolderAt(const std::string& folder, int depth) {
  if (cars.size() >= kMaxCars) return;
  for (const DirEntry& entry : ListFolder(folder)) {
    if (cars.size() >= kMaxCars) break;
    if (!entry.isFolder) continue;
    // The entry's own name: a dot anywhere higher up the path (~/.wine) must not hide cars.
    if (entry.name.empty() || entry.name.front() == '.') continue;
    const std::string carFolder = JoinPath(folder, entry.name);
    const std::optional<FolderIdentity> identity = IdentifyFolder(carFolder);
    if (!identity || !scannedFolders_.insert(*identity).second) continue;  // seen already
    const std::size_t s = cars.size();
    CarRecord& record = cars.emplace_back();
    // The folder comes from a listing, so only the archive's own spelling can differ: the
    // usual spelling is tried first, then whatever spelling the folder holds ("CAR.VIV").
    std::optional<std::vector<DirEntry>> listing;  // read once, only when needed
    const auto tryArchive = [&](const std::string& name) {
      record.archivePath = JoinPath(carFolder, name);
      // Only this exact spelling: where lookups ignore case "car.viv" would open "CAR.VIV", and
      // a toggle would then change the spelling the player gave the file. Elsewhere the open
      // itself proves the spelling, and the catalog scan pays no extra lookup per car.
      if ((!kLookupsIgnoreCase || EntryExists(record.archivePath)) && LoadCar(s)) return true;
      if (!listing) listing = ListFolder(carFolder);
      record.archivePath = FindOtherSpelling(carFolder, *listing, name);
      return !record.archivePath.empty() && LoadCar(s);
    };
    bool loaded = tryArchive(kEnabledArchiveName);
    if (loaded) {
      record.enabled = true;
    } else {
      loaded = tryArchive(std::string(kEnabledArchiveName) + kDisabledSuffix);
      if (loaded) record.enabled = false;
    }
    if (!loaded) {
      cars.pop_back();  // no car here: the folder may hold cars further down
      if (depth < kMaxCarFolderDepth) ScanCarFolderAt(carFolder, depth + 1);
      continue;
    }
    record.depth = depth;
    if (record.countsAsEnabledCar()) ++enabledCarCount;
    if (!serialOwner_.empty() && depth == 0 && record.hasFedata() && serialOwner_[record.fedataSerial()] < 0) {
      serialOwner_[record.fedataSerial()] = static_cast<int>(s);
    }
  }
}

VivWriteResult GameData::WriteCarSerial(std::size_t slot, long long value) {
  if (!HasCar(slot)) return {VivWriteStatus::kUnreadable, 0};
  const auto serial = static_cast<std::uint16_t>(static_cast<unsigned long long>(value) & 0xFFFF);
  return WriteFedataField(cars[slot], FedataRecord::kSerialOffset, serial);
}

std::vector<SerialChange> GameData::GenerateSerialNumbers(const std::function<void()>& reload) {
  std::vector<SerialChange> changes;
  std::vector<bool> given(0x8000, false);  // numbers given earlier in this run
  for (std::size_t i = 0; i < cars.size(); ++i) {
    if ((cars[i].errorFlags & kFlagDuplicateSerial) == 0) continue;
    // With at most 999 cars a free number always exists; the bound only guards against a
    // random source that never yields one.
    int value = -1;
    for (int attempt = 0; attempt < 1000000; ++attempt) {
      const int drawn = random() & 0x7FFF;
      if (!given[static_cast<std::size_t>(drawn)] && !FindCarBySerial(drawn, i)) {
        value = drawn;
        break;
      }
    }
    if (value < 0) continue;
    SerialChange change;
    change.slot = static_cast<int>(i);
    change.oldSerial = cars[i].fedataSerial();
    change.newSerial = static_cast<std::uint16_t>(value);
    const VivWriteResult written = WriteCarSerial(i, value);
    change.written = written.ok();
    change.failure = written.Reason();
    if (change.written) given[static_cast<std::size_t>(value)] = true;
    changes.push_back(change);
  }
  if (!changes.empty() && reload) reload();
  return changes;
}

}  // namespace krax
