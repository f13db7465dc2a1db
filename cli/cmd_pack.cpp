// kraxctl pack: the details form's "Create Zip" and "Create Cabinet" for a car or a track.
#include <unistd.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include "app/settings.h"
#include "cli/command.h"
#include "cli/context.h"
#include "cli/terminal_prompts.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "operations/game_operations.h"
#include "platform/path.h"

namespace krax::cli {
namespace {

constexpr const char* kUsage =
    "usage: kraxctl pack SLOT|ID|ROW/TRACK --zip|--cab [--out DIR]\n"
    "Packs the files of a car's folder (by car ID, or by slot number as `kraxctl cars` lists\n"
    "it) or of a track folder (ROW/TRACK: the track folder TRACK of slot ROW 0..8; ROW/ alone\n"
    "is the slot's own folder) into NAME.zip or NAME.CAB, named after the car or track, in\n"
    "the folder for compressed files (CPATH) or DIR. An archive of that name is replaced.\n";

// Progress lines only where one line is rewritten in place.
class PackPrompts : public TerminalPrompts {
 public:
  using TerminalPrompts::TerminalPrompts;
  void Status(const std::string& text) override {
    if (::isatty(STDERR_FILENO)) TerminalPrompts::Status(text);
  }
};

struct Item {
  int itemCode = 0;
  std::string directory, name;
};

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool FindTrack(GameData& game, const std::string& what, Item& item) {
  const std::size_t slash = what.find('/');
  const std::string rowText = what.substr(0, slash), track = what.substr(slash + 1);
  if (!AllDigits(rowText) || std::stoi(rowText) >= kStockTrackSlotCount) return false;
  const int row = std::stoi(rowText);
  if (track.empty()) {
    item = {-(2 * row + 1), game.SlotFolderPath(row),
            std::string(StockTrackTable[static_cast<std::size_t>(row)].displayName)};
    return true;
  }
  bool found = false;
  game.LoadTrackCatalog([&](int r, const std::string& name, bool, int n) {
    if (!found && r == row && EqualsIgnoreCase(name, track)) {
      const auto position = static_cast<std::size_t>(n);
      item = {TrackFolderList::ItemCode(position), game.TrackFolderList.path(position), name};
      found = true;
    }
  });
  return found;
}

bool FindCar(GameData& game, const std::string& what, Item& item) {
  game.ClearCarTable();
  game.LoadCarCatalog();
  long long slot = -1;
  for (std::size_t i = 0; i < game.CarTable.count(); ++i) {
    if (game.CarTable[i].carId && EqualsIgnoreCase(*game.CarTable[i].carId, what)) {
      slot = static_cast<long long>(i);
      break;
    }
  }
  if (slot < 0 && AllDigits(what) && what.size() < 5) slot = std::stoll(what);
  if (slot < 0 || !game.CarTable.isUsed(slot)) return false;
  const CarRecord& car = game.CarTable[static_cast<std::size_t>(slot)];
  item = {static_cast<int>(slot), car.archivePath, car.name.value_or(std::string())};
  return true;
}

int RunPack(Context& context, const std::vector<std::string>& args) {
  std::string what, out;
  int kind = 0;  // 1 zip, 2 cabinet
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--zip" || args[i] == "--cab") {
      if (kind != 0) throw UsageError("pack takes one of --zip and --cab");
      kind = args[i] == "--zip" ? 1 : 2;
    } else if (args[i] == "--out" && i + 1 < args.size()) {
      out = args[++i];
    } else if (what.empty() && !args[i].empty() && args[i][0] != '-') {
      what = args[i];
    } else {
      throw UsageError("pack: unexpected argument '" + args[i] + "'");
    }
  }
  if (what.empty() || kind == 0) throw UsageError("pack needs SLOT|ID|ROW/TRACK and --zip or --cab");
  GameData* loaded = context.requireGame();
  if (loaded == nullptr) return kExitFailure;
  GameData& game = *loaded;
  Item item;
  const bool found = what.find('/') != std::string::npos ? FindTrack(game, what, item) : FindCar(game, what, item);
  if (!found) {
    context.err << "kraxctl: pack: no car or track " << what << '\n';
    return kExitFailure;
  }
  if (!out.empty()) context.settings().CPATH = out;  // this run only
  PackPrompts prompts(context, false);
  GameOperations operations(game, context.settings(), prompts);
  const OperationResult result = kind == 1 ? operations.CreateZip(item.itemCode, item.directory, item.name)
                                           : operations.CreateCabinet(item.itemCode, item.directory, item.name);
  if (!result.done()) {
    context.err << "kraxctl: pack: " << result.message << '\n';
    return kExitFailure;
  }
  context.out << "wrote " << result.message << '\n';
  return kExitOk;
}

const RegisterCommand kPack({"pack", "pack a car or a track into a zip or cabinet file", kUsage, RunPack});

}  // namespace
}  // namespace krax::cli
