#include "cli/item_arguments.h"

#include <ostream>
#include <vector>

#include "cli/command.h"
#include "cli/context.h"
#include "cli/terminal_prompts.h"
#include "cli/whole_number.h"
#include "gamedata/code_page.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "operations/game_operations.h"
#include "operations/operations.h"
#include "platform/path.h"

namespace krax::cli {

namespace {
std::optional<long long> ParseIndex(const std::string& text) {
  const std::optional<long long> parsed = ParseWholeNumber<long long>(text);
  if (!parsed || *parsed < 0) return std::nullopt;
  return parsed;
}
}  // namespace

void LoadCars(GameData& game) {
  game.ClearCarTable();
  game.LoadCarCatalog();
}

std::optional<std::size_t> FindCarArgument(Context& context, const GameData& game, const std::string& argument) {
  if (const std::optional<long long> slot = ParseIndex(argument)) {
    if (game.HasCar(*slot)) return static_cast<std::size_t>(*slot);
    context.err << "kraxctl: no car in slot " << argument << '\n';
    return std::nullopt;
  }
  // IDs are kept in the game's code page; the argument comes as typed (UTF-8).
  const std::string wanted = FileNameToGameText(argument);
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < game.cars.size(); ++i) {
    const auto& id = game.cars[i].carId;
    if (id && EqualsIgnoreCase(*id, wanted)) found.push_back(i);
  }
  if (found.empty()) {
    context.err << "kraxctl: no car with ID \"" << argument << "\"\n";
    return std::nullopt;
  }
  if (found.size() > 1) {
    std::string slots;
    for (std::size_t i : found) slots += (slots.empty() ? "" : ", ") + std::to_string(i);
    context.err << "kraxctl: several cars have the ID \"" << argument << "\" (slots " << slots << "); give the slot\n";
    return std::nullopt;
  }
  return found.front();
}

std::optional<GameCar> RequireCarArgument(Context& context, const std::string& argument) {
  GameData* game = context.RequireGame();
  if (game == nullptr) return std::nullopt;
  LoadCars(*game);
  const std::optional<std::size_t> slot = FindCarArgument(context, *game, argument);
  if (!slot) return std::nullopt;
  return GameCar{game, *slot};
}

int TrackRowArgument(const std::string& rowText) {
  const std::optional<long long> row = ParseIndex(rowText);
  if (!row || *row >= kStockTrackSlotCount) throw UsageError("'" + rowText + "' is not a track slot row (0 to 8)");
  return static_cast<int>(*row);
}

std::optional<ItemRef> FindTrackArgument(Context& context, GameData& game, Prompts& prompts,
                                         const std::string& rowText, const std::string& track) {
  const int row = TrackRowArgument(rowText);
  GameOperations(game, context.settings(), prompts).ResumeInterruptedSwitches();
  std::vector<std::pair<std::string, ItemRef>> folders;
  game.LoadTrackCatalog([&](int r, const std::string& name, bool, int n) {
    if (r == row) folders.emplace_back(name, ItemRef::TrackFolder(static_cast<std::size_t>(n)));
  });
  for (const auto& [name, folder] : folders) {
    if (name == track) return folder;
  }
  ItemRef match;
  int matches = 0;
  for (const auto& [name, folder] : folders) {
    if (EqualsIgnoreCase(name, track)) {
      match = folder;
      ++matches;
    }
  }
  if (matches == 1) return match;
  std::string names;
  for (const auto& folder : folders) names += "\n  " + folder.first;
  context.err << "kraxctl: slot " << rowText << " has no track folder \"" << track << "\"; it has:" << names << '\n';
  return std::nullopt;
}

std::optional<ItemRef> FindCarOrTrackArgument(Context& context, GameData& game, Prompts& prompts,
                                              const std::string& what) {
  const std::size_t slash = what.find('/');
  if (slash != std::string::npos) {
    return FindTrackArgument(context, game, prompts, what.substr(0, slash), what.substr(slash + 1));
  }
  LoadCars(game);
  if (const std::optional<std::size_t> slot = FindCarArgument(context, game, what)) return ItemRef::Car(*slot);
  return std::nullopt;
}

int ReportResult(Context& context, const OperationResult& result) {
  const std::string text = ResultText(result);
  switch (result.status) {
    case OperationStatus::kDone:
      if (!text.empty()) context.out << text << '\n';
      return kExitOk;
    case OperationStatus::kCancelled:
      context.err << "kraxctl: " << (text.empty() ? result.command + ": nothing was done" : text) << '\n';
      return kExitFailure;
    case OperationStatus::kFailed:
      break;
  }
  context.err << "kraxctl: " << text << '\n';
  return kExitFailure;
}

int ActOnItem(Context& context, bool assumeYes,
              const std::function<std::optional<ItemRef>(GameData& game, Prompts& prompts)>& find,
              const std::function<OperationResult(GameOperations& operations, ItemRef item)>& act,
              bool deleteForGood) {
  GameData* game = context.RequireGame();
  if (game == nullptr) return kExitFailure;
  TerminalPrompts prompts(context, assumeYes);
  prompts.AllowDeleteForGood(deleteForGood);
  const std::optional<ItemRef> item = find(*game, prompts);
  if (!item) return kExitFailure;
  GameOperations operations(*game, context.settings(), prompts);
  return ReportResult(context, act(operations, *item));
}

}  // namespace krax::cli
