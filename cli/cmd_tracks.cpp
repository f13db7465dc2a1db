// kraxctl tracks: the nine track slots and the track folders of each, as the tree lists them.
#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/context.h"
#include "cli/json_text.h"
#include "cli/terminal_prompts.h"
#include "cli/terminal_text.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "operations/game_operations.h"

namespace krax::cli {
namespace {

struct ListedTrack {
  int n = 0;
  std::string name;
  bool active = false;
};

// The number shown for the folder at list position n: kraxctl has always shown 0, 2, 4 ...
// (two entries per folder), and scripts may rely on it.
int ShownPosition(int n) { return 2 * n; }

int RunTracks(Context& context, const Arguments& args) {
  if (!args.words.empty()) throw UsageError("tracks: unexpected argument '" + args.words[0] + "'");
  const bool json = args.Has("--json");
  GameData* found = context.RequireGame();
  if (found == nullptr) return kExitFailure;
  GameData& game = *found;
  TerminalPrompts prompts(context, /*assumeYes=*/false);
  GameOperations(game, context.settings(), prompts).ResumeInterruptedSwitches();
  std::vector<std::vector<ListedTrack>> slots(kStockTrackSlotCount);
  game.LoadTrackCatalog([&](int row, const std::string& name, bool active, int n) {
    slots[static_cast<std::size_t>(row)].push_back({n, name, active});
  });

  std::ostream& out = context.out;
  if (json) out << "{\"slots\": [";
  for (int row = 0; row < kStockTrackSlotCount; ++row) {
    const StockTrackRow& stock = StockTrackTable[static_cast<std::size_t>(row)];
    const auto& tracks = slots[static_cast<std::size_t>(row)];
    if (json) {
      out << (row ? ", " : "") << "{\"row\": " << row << ", \"name\": " << JsonString(stock.displayName)
          << ", \"folder\": " << JsonString(stock.slotFolderName) << ", \"tracks\": [";
      for (std::size_t t = 0; t < tracks.size(); ++t) {
        const ListedTrack& track = tracks[t];
        out << (t ? ", " : "") << "{\"n\": " << ShownPosition(track.n) << ", \"name\": " << JsonString(track.name)
            << ", \"path\": " << JsonString(game.trackFolder(static_cast<std::size_t>(track.n)).path)
            << ", \"active\": " << (track.active ? "true" : "false") << "}";
      }
      out << "]}";
    } else {
      out << row << '\t' << stock.displayName << '\t' << stock.slotFolderName << '\n';
      for (const ListedTrack& track : tracks) {
        out << '\t' << ShownPosition(track.n) << '\t' << TerminalSafe(track.name) << '\t'
            << TerminalSafe(game.trackFolder(static_cast<std::size_t>(track.n)).path) << '\t'
            << (track.active ? "active" : "-") << '\n';
      }
    }
  }
  if (json) out << "]}\n";
  return kExitOk;
}

const RegisterCommand kTracks({"tracks",
                               "list the track slots and their track folders",
                               {{"", {"--json"}}},
                               "For each slot: row, display name and folder, then its track folders\n"
                               "with their list position n, name, path and whether active.\n"
                               "(Lists a slot's missing \"Original\" folder after creating it.)\n",
                               {{"--json"}},
                               RunTracks});

}  // namespace
}  // namespace krax::cli
