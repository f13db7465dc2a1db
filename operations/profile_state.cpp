#include "operations/profile_state.h"

#include <algorithm>
#include <set>

#include "gamedata/car_catalog.h"
#include "gamedata/code_page.h"
#include "gamedata/game_data.h"
#include "gamedata/track_catalog.h"
#include "operations/prompts.h"
#include "operations/track_switch.h"
#include "platform/path.h"

namespace krax {
namespace {

constexpr std::size_t kListedAtMost = 15;  // per list in the question

// The car's folder below CarModel, "/"-separated; "" when it lies elsewhere.
std::string CarFolderBelow(const std::string& carModel, const std::string& archivePath) {
  const std::string folder = ParentPath(archivePath);
  if (folder.size() <= carModel.size() + 1 || folder.compare(0, carModel.size(), carModel) != 0 ||
      !IsSeparator(folder[carModel.size()])) {
    return {};
  }
  std::string relative = folder.substr(carModel.size() + 1);
  std::replace(relative.begin(), relative.end(), '\\', '/');
  return relative;
}

// The profile's entry for `key`: the same spelling, else the one spelling that differs only
// in letter case (the game does not see case).
template <typename Map>
auto FindIgnoringCase(const Map& map, const std::string& key) {
  auto found = map.find(key);
  if (found != map.end()) return found;
  auto match = map.end();
  for (auto it = map.begin(); it != map.end(); ++it) {
    if (!EqualsIgnoreCase(it->first, key)) continue;
    if (match != map.end()) return map.end();  // ambiguous
    match = it;
  }
  return match;
}

void AddList(std::string& text, const std::string& heading, const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  text += "\n" + heading + " (" + std::to_string(lines.size()) + "):\n";
  for (std::size_t i = 0; i < lines.size() && i < kListedAtMost; ++i) text += "  " + lines[i] + "\n";
  if (lines.size() > kListedAtMost) text += "  ... and " + std::to_string(lines.size() - kListedAtMost) + " more\n";
}

std::string SlotName(int row) { return std::string(StockTrackTable[static_cast<std::size_t>(row)].slotFolderName); }

// The car's name as the game text holds it, in UTF-8; "" without front-end data.
std::string CarName(const CarRecord& car) {
  return car.hasFedata() && car.name ? GameTextToUtf8(*car.name) : std::string();
}

}  // namespace

GameState ReadGameState(GameData& data, Prompts& prompts) {
  GameState state;
  data.ClearCarTable();
  data.LoadCarCatalog();
  const std::string carModel = CarFolderPath(data.gameFolder());
  for (std::size_t slot = 0; slot < data.cars.size(); ++slot) {
    const CarRecord& car = data.cars[slot];
    const std::string folder = CarFolderBelow(carModel, car.archivePath);
    if (folder.empty() || state.carSlots.count(folder)) continue;
    state.carSlots[folder] = slot;
    state.carNames[folder] = CarName(car);
    state.profile.cars[folder] = car.enabled;
  }
  ResumeInterruptedSwitches(data, prompts);
  data.LoadTrackCatalog([&](int row, const std::string& name, bool, int n) {
    state.trackFolders[static_cast<std::size_t>(row)].emplace_back(name, ItemRef::TrackFolder(static_cast<std::size_t>(n)));
  });
  for (int row = 0; row < kStockTrackSlotCount; ++row) {
    state.profile.tracks[static_cast<std::size_t>(row)] = ActiveTrackFolder(data.SlotFolderPath(row));
  }
  return state;
}

std::map<std::string, std::string> CarNamesByFolder(const GameData& data) {
  std::map<std::string, std::string> names;
  if (data.gameFolder().empty()) return names;
  const std::string carModel = CarFolderPath(data.gameFolder());
  for (std::size_t slot = 0; slot < data.cars.size(); ++slot) {
    const CarRecord& car = data.cars[slot];
    const std::string folder = CarFolderBelow(carModel, car.archivePath);
    if (!folder.empty()) names.emplace(folder, CarName(car));
  }
  return names;
}

std::string CarLabel(const std::string& folder, const std::map<std::string, std::string>& names) {
  const auto found = FindIgnoringCase(names, folder);
  return found == names.end() || found->second.empty() ? folder : folder + " (" + found->second + ")";
}

bool IsGameOwnCar(const GameData& data, std::size_t slot) {
  if (!data.HasCar(slot)) return false;
  const CarRecord& car = data.cars[slot];
  // The game's own folder of a stock car, as the CD has it (CarModel/ZEPH): a copy of a stock
  // car kept in another folder is an add-on like any other.
  return car.depth == 0 && car.carId && IsStockCarName(*car.carId) &&
         EqualsIgnoreCase(BaseName(ParentPath(car.archivePath)), *car.carId);
}

bool IsStockCarName(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return IsStockCarId(upper);
}

Profile StockGameProfile(const GameData& data, const GameState& state) {
  Profile stock;
  for (const auto& [folder, slot] : state.carSlots) stock.cars[folder] = IsGameOwnCar(data, slot);
  stock.tracks.fill(kOriginalFolder);
  return stock;
}

ProfilePlan PlanProfile(const GameState& state, const Profile& profile) {
  ProfilePlan plan;
  std::vector<ProfilePlan::CarChange> enables;
  std::set<std::string> known;  // the profile's folders that matched a car
  for (const auto& [folder, slot] : state.carSlots) {
    const auto wanted = FindIgnoringCase(profile.cars, folder);
    if (wanted == profile.cars.end()) {
      plan.unknown.push_back(CarLabel(folder, state.carNames));
      continue;
    }
    known.insert(wanted->first);
    const bool enabled = state.profile.cars.at(folder);
    if (wanted->second == enabled) continue;
    (wanted->second ? enables : plan.cars).push_back({slot, folder, wanted->second, CarLabel(folder, state.carNames)});
  }
  plan.cars.insert(plan.cars.end(), enables.begin(), enables.end());
  for (const auto& [folder, enabled] : profile.cars) {
    if (!known.count(folder)) plan.missing.push_back("car " + folder);
  }
  for (int row = 0; row < kStockTrackSlotCount; ++row) {
    const std::string& now = state.profile.tracks[static_cast<std::size_t>(row)];
    const std::string& wanted = profile.tracks[static_cast<std::size_t>(row)];
    const auto& folders = state.trackFolders[static_cast<std::size_t>(row)];
    auto exact = std::find_if(folders.begin(), folders.end(), [&](const auto& f) { return f.first == wanted; });
    if (exact == folders.end()) {
      exact = std::find_if(folders.begin(), folders.end(), [&](const auto& f) { return EqualsIgnoreCase(f.first, wanted); });
    }
    if (exact == folders.end()) {
      plan.missing.push_back(SlotName(row) + " track \"" + wanted + "\"");
      continue;
    }
    if (exact->first == now) continue;
    plan.switches.push_back({row, now, exact->first, exact->second});
  }
  return plan;
}

std::string DescribeProfile(const std::string& title, const Profile& profile,
                            const std::map<std::string, std::string>& carNames) {
  std::vector<std::string> enabled, disabled;
  for (const auto& [folder, on] : profile.cars) (on ? enabled : disabled).push_back(CarLabel(folder, carNames));
  std::string text = title + ":\n";
  const auto list = [&text](const std::string& heading, const std::vector<std::string>& lines) {
    text += "\n" + heading + " (" + std::to_string(lines.size()) + "):\n";
    for (const std::string& line : lines) text += "  " + line + "\n";
    if (lines.empty()) text += "  none\n";
  };
  list("Cars enabled", enabled);
  list("Cars disabled", disabled);
  text += "\nActive track of each slot:\n";
  for (int row = 0; row < kStockTrackSlotCount; ++row) {
    const StockTrackRow& slot = StockTrackTable[static_cast<std::size_t>(row)];
    text += "  " + std::string(slot.slotFolderName) + " (" + std::string(slot.displayName) + "): " +
            profile.tracks[static_cast<std::size_t>(row)] + "\n";
  }
  return text;
}

std::string DescribePlan(const std::string& title, const ProfilePlan& plan) {
  std::vector<std::string> enable, disable, switches;
  for (const auto& change : plan.cars) (change.enable ? enable : disable).push_back(change.label);
  for (const auto& s : plan.switches) switches.push_back(SlotName(s.row) + ": \"" + s.from + "\" -> \"" + s.to + "\"");
  std::string text = title + ":\n";
  if (plan.changesNothing()) text += "\nThe game is in this state already.\n";
  AddList(text, "Cars to enable", enable);
  AddList(text, "Cars to disable", disable);
  AddList(text, "Slots to switch", switches);
  AddList(text, "Not in the game, skipped", plan.missing);
  AddList(text, "Not in the profile, left as they are", plan.unknown);
  return text;
}

OperationResult ApplyProfilePlan(Operations& operations, Prompts& prompts, const std::string& command,
                                 const std::string& title, const ProfilePlan& plan) {
  std::string notes;  // what the profile and the game do not share
  for (const std::string& line : plan.missing) notes += "skipped, not in the game: " + line + "\n";
  for (const std::string& line : plan.unknown) notes += "left as it is, not in the profile: car " + line + "\n";
  if (plan.changesNothing()) {
    prompts.Report(title + ": the game is in this state already.", notes);
    return {OperationStatus::kDone, command, {}};
  }
  if (!prompts.Question(QuestionKind::kGoOn, DescribePlan(title, plan) + "\nMake these changes?")) return {OperationStatus::kCancelled, command, {}};
  prompts.Busy(true);
  std::string details;
  int failed = 0;
  const auto note = [&](const OperationResult& result, const std::string& done) {
    if (result.done()) {
      details += done + "\n";
    } else {
      ++failed;
      details += "FAILED: " + (result.message.empty() ? done : result.message) + "\n";
    }
  };
  for (const auto& change : plan.cars) {
    note(operations.ToggleCar(CarSlot{change.slot}),
         std::string(change.enable ? "enabled " : "disabled ") + change.label);
  }
  for (const auto& s : plan.switches) {
    note(operations.SwitchTrack(s.trackFolder), SlotName(s.row) + ": \"" + s.to + "\" is now the active track.");
  }
  prompts.Busy(false);
  details += notes;
  const std::size_t total = plan.cars.size() + plan.switches.size();
  const std::string summary =
      failed == 0 ? title + ": " + std::to_string(total) + " change" + (total == 1 ? "" : "s") + " made."
                  : title + ": " + std::to_string(total - static_cast<std::size_t>(failed)) + " of " +
                        std::to_string(total) + " changes made, " + std::to_string(failed) + " failed.";
  prompts.Report(summary, details);
  // The report said it all when everything went well.
  return {failed == 0 ? OperationStatus::kDone : OperationStatus::kFailed, command, failed == 0 ? "" : summary};
}

}  // namespace krax
